#pragma once
// Pictures of the windows for people to look at: the sign-in dialog, the main window with
// its targets, the targets editor with two and with three targets, and the progress panel
// in the middle of a run, as PNG files in a folder.
#include <QString>

namespace kalvora::test {

// Returns the process exit code.
int renderScreenshots(const QString& folder);

}  // namespace kalvora::test
