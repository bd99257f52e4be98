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
    // The closing box of a run: text, with details below it, and the run's report ("" when
    // none), which a window offers to open. Elsewhere a plain box of both texts.
    virtual void concluded(const std::string& text, const std::string& details, const std::string& reportPath)
    {
        static_cast<void>(reportPath);
        message(details.empty() ? text : text + "\n\n" + details);
    }
};

}  // namespace kalvora
