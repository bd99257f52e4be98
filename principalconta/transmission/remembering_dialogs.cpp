#include "principalconta/transmission/remembering_dialogs.h"

#include "base/errors.h"

#include <exception>

namespace kalvora {

void RememberingDialogs::message(const std::string& text)
{
    last = text;
    boxes_.message(text);
}

void RememberingDialogs::error(const std::string& text)
{
    last = text;
    boxes_.error(text);
}

std::string stopReason(const RememberingDialogs& dialogs)
{
    try {
        throw;
    } catch (const SilentAbort&) {
        return dialogs.last;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return {};
    }
}

}  // namespace kalvora
