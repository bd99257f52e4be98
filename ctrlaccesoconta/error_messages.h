#pragma once
// What the user reads for an error nobody handled: the server's usual sign-in failures in
// Spanish, anything else as it came.
#include "ui/dialogs.h"

#include <string>

namespace kalvora {

std::string mensaje_error(const std::string& m);

// Shows mensaje_error(message) in a plain message box.
void ENoManejada(Dialogs& dialogs, const std::string& message);

}  // namespace kalvora
