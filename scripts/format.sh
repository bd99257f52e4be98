#!/usr/bin/env bash
# Formats the C++ sources with clang-format 14 and the project's .clang-format.
#   scripts/format.sh          formats every tracked .h and .cpp in place
#   scripts/format.sh --check  changes nothing; exits non-zero, naming them, when files differ
set -euo pipefail
cd "$(dirname "$0")/.."

FORMAT=${CLANG_FORMAT:-clang-format-14}
if ! command -v "$FORMAT" >/dev/null; then
    echo "$FORMAT not found (Debian: apt-get install clang-format-14)" >&2
    exit 2
fi

mapfile -t files < <(git ls-files '*.h' '*.cpp')
case "${1:-}" in
"")
    "$FORMAT" -i "${files[@]}"
    ;;
--check)
    "$FORMAT" --dry-run -Werror "${files[@]}"
    ;;
*)
    echo "usage: $0 [--check]" >&2
    exit 64
    ;;
esac
