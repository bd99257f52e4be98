#pragma once
// Pictures of the windows for people to look at: the sign-in dialog, the main window with
// its targets, the targets editor and the progress panel, as PNG files in a folder.
#include <QString>

namespace kalvora::test {

// Returns the process exit code.
int renderScreenshots(const QString& folder);

}  // namespace kalvora::test
