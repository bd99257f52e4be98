#pragma once
// The Firebird servers offered at sign-in, listed in SERVIDORES.cfg.
#include <string>
#include <vector>

namespace kalvora {

// One entry per line of SERVIDORES.cfg in the installation directory, bytes as stored, in
// order, blank and repeated lines included. CR LF, LF and a lone CR each end a line; a NUL
// ends the entry's text. An unreadable file gives no entries.
std::vector<std::string> readServerList(const std::string& directory);
// The same entries from the file's bytes.
std::vector<std::string> parseServerList(const std::string& content);

}  // namespace kalvora
