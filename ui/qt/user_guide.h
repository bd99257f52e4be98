#pragma once
// The user's guide, guia.html as the packages install it: beside the program on Windows,
// in the package's documentation folder elsewhere.
#include <QUrl>

class QWidget;

namespace kalvora {

QUrl userGuideUrl();

// F1 in the window opens the guide in the system's browser.
void openUserGuideOnF1(QWidget& window);

}  // namespace kalvora
