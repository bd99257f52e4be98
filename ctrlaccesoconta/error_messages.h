#pragma once
// What the user reads for an error nobody handled: the server's usual sign-in failures in
// Spanish, anything else as it came.
#include "ui/dialogs.h"

#include <functional>
#include <string>

namespace kalvora {

std::string mensaje_error(const std::string& m);

// Shows mensaje_error(message) in a plain message box.
void ENoManejada(Dialogs& dialogs, const std::string& message);

// The program's guard (ui/guard.h) with ENoManejada: what every window and the batch
// program run their actions through.
bool runGuarded(Dialogs& dialogs, const std::function<void()>& action);

}  // namespace kalvora
