#pragma once
// Pictures of the windows for people to look at: the sign-in dialog, the main window before
// and after "Conectar", the targets editor with two and with three targets, the progress
// panel in the middle of a run, and the preview and verification dialogs sorted and
// filtered, as PNG files in a folder.
#include <QString>

namespace kalvora::test {

// Returns the process exit code.
int renderScreenshots(const QString& folder);

}  // namespace kalvora::test
