#include "ui/guard.h"

#include "ctrlaccesoconta/error_messages.h"
#include "base/errors.h"

#include <exception>

namespace kalvora {

bool runGuarded(Dialogs& dialogs, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        ENoManejada(dialogs, e.what());
    } catch (...) {
        ENoManejada(dialogs, "Error desconocido");
    }
    return false;
}

}  // namespace kalvora
