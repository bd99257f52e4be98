#include "ui/console_dialogs.h"

#include "base/text.h"

#include <ostream>

namespace kalvora {

namespace {
// Carriage return and erase line: a progress bar drawn on the line gives way to the box.
constexpr const char* kClearLine = "\r\x1b[K";
}  // namespace

ConsoleDialogs::ConsoleDialogs(std::ostream& out, bool terminal, bool answer)
    : out_(out), terminal_(terminal), answer_(answer)
{
}

void ConsoleDialogs::message(const std::string& text) { line(text); }

void ConsoleDialogs::error(const std::string& text) { line("Error: " + text); }

bool ConsoleDialogs::ask(const std::string& text)
{
    line(text + " " + (answer_ ? ansi("Sí") : std::string("No")));
    return answer_;
}

void ConsoleDialogs::beep()
{
    if (terminal_)
        out_ << '\a' << std::flush;
}

void ConsoleDialogs::line(const std::string& text)
{
    if (terminal_)
        out_ << kClearLine;
    out_ << toUtf8(text) << '\n' << std::flush;
}

}  // namespace kalvora
