#pragma once
// The one way failures travel: an exception whose text is what the user reads.
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kalvora {

// A failure with the message the user sees (in Spanish, or the library's own text).
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A failure reported by Firebird; the text is the server's, unchanged. Code that must tell
// one failure from another asks the codes, which do not change with the wording.
class DatabaseError : public Error {
public:
    explicit DatabaseError(const std::string& message, std::intptr_t code = 0, std::string sqlState = {},
                           std::vector<std::intptr_t> codes = {}, std::vector<std::string> arguments = {})
        : Error(message), code_(code), sqlState_(std::move(sqlState)), codes_(std::move(codes)),
          arguments_(std::move(arguments))
    {
    }

    // The engine's error code: the first of the status vector (isc_login, isc_io_error, ...).
    std::intptr_t code() const { return code_; }
    // The five characters of the SQLSTATE ("28000"), "" when none was given.
    const std::string& sqlState() const { return sqlState_; }
    // Whether the status vector holds the code anywhere (a network error names its cause after it).
    bool has(std::intptr_t code) const
    {
        return code == code_ || std::find(codes_.begin(), codes_.end(), code) != codes_.end();
    }
    // The text arguments of the status vector in order, e.g. "SELECT", "TABLE", "AUDITORIA".
    const std::vector<std::string>& arguments() const { return arguments_; }

private:
    std::intptr_t code_;
    std::string sqlState_;
    std::vector<std::intptr_t> codes_;
    std::vector<std::string> arguments_;
};

// Ends the action in progress without any further message: the user has already
// been told (the data error dialogs raise it after their boxes).
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "silent abort"; }
};

}  // namespace kalvora
