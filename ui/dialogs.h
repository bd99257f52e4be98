#pragma once
// The boxes the logic shows, so that it never touches a widget.
#include <string>

namespace kalvora {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Plain modal box with an OK button, captioned with the application title.
    virtual void message(const std::string& text) = 0;
    // Modal error box: error icon, caption "Error", one OK button.
    virtual void error(const std::string& text) = 0;
    // Confirmation box with Yes and No; true for Yes.
    virtual bool ask(const std::string& text) = 0;
    virtual void beep() = 0;
};

}  // namespace kalvora
