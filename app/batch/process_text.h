#pragma once
// The batch program's text where it meets the system: arguments and environment come in as
// UTF-8 whatever the system's code page, and a Windows console shows the UTF-8 written to it.
#include <optional>
#include <string>
#include <vector>

namespace kalvora::batch {

// The arguments after the program's name, in UTF-8. On Windows they are taken from the
// wide command line, so that characters outside the ANSI code page survive.
std::vector<std::string> commandLineArguments(int argc, char* argv[]);

// An environment variable in UTF-8; nullopt when it is not set.
std::optional<std::string> environmentText(const char* name);

// While it lives, a Windows console takes output as UTF-8; the console's own code page
// returns afterwards. Nothing happens elsewhere, nor when the output is not a console.
class Utf8Console {
public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    unsigned previous_ = 0;
};

}  // namespace kalvora::batch
