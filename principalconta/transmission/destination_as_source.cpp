#include "principalconta/transmission/destination_as_source.h"

#include "principalconta/componentes.h"
#include "principalconta/transmission/commands.h"

#include <string>
#include <utility>

namespace kalvora {

namespace {

// The creation time as text keeps its ten-thousandths, which Value::asText would round off.
constexpr const char* kIdentity = "select MON$DATABASE_NAME, cast(MON$CREATION_DATE as varchar(24)) from MON$DATABASE";

}  // namespace

bool sourceIsDestination(Componentes& c)
{
    openSource(c.QCopia, kIdentity);
    const std::pair<std::string, std::string> source{c.QCopia.field(0).asText(), c.QCopia.field(1).asText()};
    c.QCopia.close();
    const fb::Rows destination = c.DBEnvio.select(kIdentity, {}, false);
    return !destination.rows.empty() &&
           source == std::pair{destination.rows[0][0].asText(), destination.rows[0][1].asText()};
}

}  // namespace kalvora
