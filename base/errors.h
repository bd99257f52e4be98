#pragma once
// The one way failures travel: an exception whose text is what the user reads.
#include <cstdint>
#include <stdexcept>
#include <string>

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
    explicit DatabaseError(const std::string& message, std::intptr_t code = 0, std::string sqlState = {})
        : Error(message), code_(code), sqlState_(std::move(sqlState))
    {
    }

    // The engine's error code: the first of the status vector (isc_login, isc_io_error, ...).
    std::intptr_t code() const { return code_; }
    // The five characters of the SQLSTATE ("28000"), "" when none was given.
    const std::string& sqlState() const { return sqlState_; }

private:
    std::intptr_t code_;
    std::string sqlState_;
};

// Ends the action in progress without any further message: the user has already
// been told (the data error dialogs raise it after their boxes).
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "silent abort"; }
};

}  // namespace kalvora
