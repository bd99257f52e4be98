#pragma once
// The program's text is 8-bit, in Windows-1252, like the databases' bytes. Literals in
// the sources are UTF-8: ansi() turns them into the program's bytes once, where written.
#include <string>
#include <string_view>

namespace kalvora {

// UTF-8 to Windows-1252; a character that has no place there becomes '?'.
std::string ansi(std::string_view utf8);
// Windows-1252 to UTF-8, for terminals and files meant for people; bytes with no
// character (0x81, 0x8D, 0x8F, 0x90, 0x9D) are kept as U+0081 etc.
std::string toUtf8(std::string_view bytes);

}  // namespace kalvora
