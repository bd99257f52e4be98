#pragma once
// The toolkit's own texts (message box buttons, context menus, calendar headers) in
// Spanish, from Qt's translations as the system installs them.
class QCoreApplication;

namespace kalvora {

// False when the translations are not installed; the toolkit then speaks English.
bool loadSpanishTranslations(QCoreApplication& application);

}  // namespace kalvora
