#pragma once
// The one guard every event handler runs through, so that no exception leaves a handler.
#include "ui/dialogs.h"

#include <functional>
#include <string>

namespace kalvora {

// Tells the user about a failure nobody handled, given its text.
using UnhandledError = std::function<void(Dialogs& dialogs, const std::string& message)>;

// Runs action. SilentAbort ends it quietly; any other failure's text goes to unhandled.
// True when the action completed.
bool runGuarded(Dialogs& dialogs, const UnhandledError& unhandled, const std::function<void()>& action);

}  // namespace kalvora
