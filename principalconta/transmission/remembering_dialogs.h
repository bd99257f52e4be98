#pragma once
// The boxes of a run that must say, in its report, why it stopped.
#include "ui/dialogs.h"

#include <string>

namespace kalvora {

// Remembers the last plain box, which says why a run ends with SilentAbort.
class RememberingDialogs : public Dialogs {
public:
    explicit RememberingDialogs(Dialogs& boxes) : boxes_(boxes) {}
    void message(const std::string& text) override;
    void error(const std::string& text) override;
    bool ask(const std::string& text) override { return boxes_.ask(text); }
    void beep() override { boxes_.beep(); }

    std::string last;

private:
    Dialogs& boxes_;
};

// Inside a catch: the text of the error being handled, or the last box for a SilentAbort.
std::string stopReason(const RememberingDialogs& dialogs);

}  // namespace kalvora
