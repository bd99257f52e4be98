#include "ui/guard.h"

#include "base/errors.h"

#include <exception>

namespace kalvora {

bool runGuarded(Dialogs& dialogs, const UnhandledError& unhandled, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        unhandled(dialogs, e.what());
    } catch (...) {
        unhandled(dialogs, "Error desconocido");
    }
    return false;
}

}  // namespace kalvora
