#pragma once
// Appends that land whole or not at all, for the files that record a run.
#include <optional>
#include <string>

namespace kalvora {

// Opens the file for appending, creating it when missing, and closes it again: nullopt when
// that works, otherwise the system's reason.
std::optional<std::string> checkAppendable(const std::string& path);

// Appends the bytes with one write. When the write is short or fails, the file is cut back
// to its length before it and the system's reason is returned.
std::optional<std::string> appendWhole(const std::string& path, const std::string& bytes);

}  // namespace kalvora
