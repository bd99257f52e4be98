#pragma once
// The one guard every event handler runs through, so that no exception leaves a handler.
#include "ui/dialogs.h"

#include <functional>

namespace kalvora {

// Runs action. SilentAbort ends it quietly; any other failure is shown through
// ENoManejada. True when the action completed.
bool runGuarded(Dialogs& dialogs, const std::function<void()>& action);

}  // namespace kalvora
