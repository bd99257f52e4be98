#pragma once
// The one way failures travel: an exception whose text is what the user reads.
#include <stdexcept>
#include <string>

namespace kalvora {

// A failure with the message the user sees (in Spanish, or the library's own text).
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A failure reported by Firebird; the text is the server's, unchanged.
class DatabaseError : public Error {
public:
    using Error::Error;
};

// Ends the action in progress without any further message: the user has already
// been told (the data error dialogs raise it after their boxes).
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "silent abort"; }
};

}  // namespace kalvora
