#!/usr/bin/env bash
# Draws the windows into PNG files, with databases of their own in a temporary folder:
# the sign-in dialog, the main window before and after "Conectar", the targets editor
# with two and with three targets, the progress panel in the middle of a run, and the
# preview and verification dialogs sorted and filtered; once with the default font and
# once with a large one (QT_FONT_DPI=144, in large/). Needs no display (Qt's offscreen
# platform).
# Usage: scripts/screenshots.sh [BUILD_DIR]    (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j"$(nproc)" --target gui_tests
out="$(cd "$dir" && pwd)/screenshots"
QT_QPA_PLATFORM=offscreen "$dir/tests/gui_tests" --screenshots="$out"
QT_QPA_PLATFORM=offscreen QT_FONT_DPI=144 "$dir/tests/gui_tests" --screenshots="$out/large"
echo "Pictures in $out"
