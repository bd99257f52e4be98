#include "principalconta/transmission/lock_date.h"

#include "base/picture.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

struct LockCase {
    const char* picture;
    const char* fecha;
    const char* bloqueo;
    bool isProtected;
};

// Each case where the calendar and the text disagree says so.
const LockCase kCases[] = {
    // Day first: the usual format, where comparing texts gets most pairs wrong.
    {"dd/MM/yyyy", "15/01/2025", "01/12/2025", true},   // text: not protected
    {"dd/MM/yyyy", "02/06/2025", "01/12/2025", true},   // text: not protected
    {"dd/MM/yyyy", "09/12/2026", "15/11/2026", false},  // text: protected
    {"dd/MM/yyyy", "30/11/2025", "01/12/2025", true},
    {"dd/MM/yyyy", "01/12/2025", "01/12/2025", false},  // the lock date itself
    {"dd/MM/yyyy", "01/12/2025", "1/12/2025", false},   // the same day written shorter; text: protected
    {"d/M/yyyy", "9/1/2026", "15/11/2026", true},       // text: not protected
    {"d/M/yyyy", "10/12/2026", "9/12/2026", false},     // text: protected
    {"dd.MM.yy", "31.12.24", "01.01.25", true},         // text: not protected
    // Month first.
    {"MM/dd/yyyy", "12/01/2025", "02/01/2026", true},   // text: not protected
    {"MM/dd/yyyy", "01/15/2026", "12/01/2025", false},  // text: protected
    {"M/d/yyyy", "2/3/2026", "10/1/2026", true},        // text: not protected
    // Year first: the calendar and the text agree, as they always did.
    {"yyyy/MM/dd", "2026/06/15", "2026/07/01", true},
    {"yyyy/MM/dd", "2026/07/01", "2026/07/01", false},
    {"yyyy/MM/dd", "2026/12/09", "2026/11/15", false},
    {"yyyy-MM-dd", "2025-12-31", "2026-01-01", true},
    // A lock date written year first is read whatever the regional format.
    {"dd/MM/yyyy", "15/01/2025", "2025/12/01", true},
    {"dd/MM/yyyy", "09/12/2026", "2026-11-15", false},
    // A lock date that does not read as a date: the texts decide.
    {"dd/MM/yyyy", "09/12/2026", "31/13/2026", true},
    {"dd/MM/yyyy", "15/01/2025", "cierre", true},
    {"dd/MM/yyyy", "15/01/2025", "", false},  // no lock date
    {"dd/MM/yyyy", "", "01/12/2025", true},   // a voucher without a date, as before
};

TEST(LockDate, TheCalendarDecidesWhenBothTextsAreDatesAndTheTextOtherwise)
{
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.picture) + " " + c.fecha + " < " + c.bloqueo);
        EXPECT_EQ(protectedByLockDate(c.fecha, c.bloqueo, c.picture), c.isProtected);
    }
}

TEST(LockDate, YearFirstDatesGiveWhatComparingTheirTextsGave)
{
    const Date days[] = {{2024, 12, 31}, {2025, 1, 1}, {2025, 1, 10}, {2025, 10, 1}, {2025, 12, 1}, {2026, 2, 28}};
    for (const char* picture : {"yyyy/MM/dd", "yyyy-MM-dd"})
        for (const Date& a : days)
            for (const Date& b : days) {
                const std::string fecha = formatDate(a, picture);
                const std::string bloqueo = formatDate(b, picture);
                SCOPED_TRACE(fecha + " < " + bloqueo);
                EXPECT_EQ(protectedByLockDate(fecha, bloqueo, picture), fecha < bloqueo);
            }
}

}  // namespace
}  // namespace kalvora
