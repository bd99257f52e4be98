#pragma once
// Message boxes for a program without windows: each box becomes a line of UTF-8 text, and
// questions get the answer chosen beforehand, which is printed after them.
#include "ui/dialogs.h"

#include <iosfwd>

namespace kalvora {

class ConsoleDialogs : public Dialogs {
public:
    // terminal: out is a terminal, where a progress bar may hold the current line.
    ConsoleDialogs(std::ostream& out, bool terminal, bool answer);

    void message(const std::string& text) override;
    void error(const std::string& text) override;
    bool ask(const std::string& text) override;
    void beep() override;

private:
    void line(const std::string& text);

    std::ostream& out_;
    bool terminal_;
    bool answer_;
};

}  // namespace kalvora
