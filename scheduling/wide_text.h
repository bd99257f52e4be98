#pragma once
// UTF-8 and the UTF-16 of the Windows calls.
#include <string>

namespace kalvora {

std::u16string utf16(const std::string& utf8);
std::string utf8(const std::u16string& text);

}  // namespace kalvora
