#pragma once
// Whether the destination's lock date protects a voucher date. The one place that decides
// it, for the transmission and for anything that shows what a transmission would do.
#include <string>

namespace kalvora {

// Both texts as the program holds them: the voucher date written in the short date format,
// the lock date as stored in CONFIGURACION. When both read as dates (in shortDatePicture, or
// year first as yyyy/MM/dd or yyyy-MM-dd) the calendar decides; otherwise the texts are
// compared character by character. Only a date strictly before the lock date is protected,
// so an empty lock date protects nothing.
bool protectedByLockDate(const std::string& fecha, const std::string& fechaBloqueo,
                         const std::string& shortDatePicture);

}  // namespace kalvora
