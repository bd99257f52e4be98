#include "principalconta/transmission/lock_date.h"

#include "base/picture.h"

#include <optional>

namespace kalvora {

namespace {

// Year-first dates are read whatever the regional format, because they cannot be mistaken.
std::optional<Date> readDate(const std::string& text, const std::string& shortDatePicture)
{
    for (const std::string& picture : {shortDatePicture, std::string("yyyy/MM/dd"), std::string("yyyy-MM-dd")})
        if (auto date = parseDate(text, picture))
            return date;
    return std::nullopt;
}

}  // namespace

bool protectedByLockDate(const std::string& fecha, const std::string& fechaBloqueo, const std::string& shortDatePicture)
{
    const auto date = readDate(fecha, shortDatePicture);
    const auto lock = readDate(fechaBloqueo, shortDatePicture);
    if (date && lock)
        return *date < *lock;
    return fecha < fechaBloqueo;
}

}  // namespace kalvora
