#!/usr/bin/env bash
# Installs what is missing, builds, starts the Firebird server when none runs, and runs the
# tests. Exits non-zero on any failure.
#   ./test.sh             every test, on the ordinary build in build/, then the Debian
#                         package built from it and checked (scripts/package.sh --check)
#   ./test.sh --sanitize  every test again, built with AddressSanitizer and
#                         UndefinedBehaviorSanitizer in build-sanitize/
#   ./test.sh --fuzz      each libFuzzer target of fuzz/ (clang, build-fuzz/) for a while
#   ./test.sh --windows   the core, the batch program and the tests that need no database,
#                         cross-built for Windows (MinGW-w64, build-windows/), run under Wine;
#                         then the MSI installer built and checked (scripts/package-windows.sh)
#   ./test.sh --format    the sources against .clang-format (scripts/format.sh --check)
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

case "${1:-}" in
"")
    install_packages
    build build
    start_firebird_server
    say "Running the tests"
    cd build
    ctest --output-on-failure -j"$(nproc)"
    ../scripts/package.sh --check
    ;;
--sanitize)
    install_packages
    build build-sanitize -DKALVORA_SANITIZE=ON
    start_firebird_server
    say "Running the tests under the sanitizers"
    export ASAN_OPTIONS="$SANITIZER_ASAN_OPTIONS" LSAN_OPTIONS="$SANITIZER_LSAN_OPTIONS"
    export UBSAN_OPTIONS="$SANITIZER_UBSAN_OPTIONS"
    cd build-sanitize
    ctest --output-on-failure -j"$(nproc)"
    ;;
--fuzz)
    PACKAGES+=("${FUZZ_PACKAGES[@]}")
    install_packages
    CC=clang CXX=clang++ build_targets build-fuzz "-DKALVORA_FUZZ=ON" "${FUZZ_TARGETS[@]}"
    run_fuzzers build-fuzz "${FUZZ_SECONDS:-30}"
    ;;
--windows)
    PACKAGES=("${WINDOWS_PACKAGES[@]}")
    install_packages
    build_targets build-windows "--no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DKALVORA_WINDOW_PROGRAM=OFF -DKALVORA_TOOLS=OFF -DKALVORA_BENCHMARKS=OFF" "${WINDOWS_TARGETS[@]}"
    use_wine build-windows
    check_batch_under_wine build-windows
    say "Running the tests under Wine"
    (cd build-windows && ctest --output-on-failure -j"$(nproc)")
    scripts/package-windows.sh --check build-windows
    ;;
--format)
    PACKAGES=(clang-format-14 git)
    install_packages
    say "Checking the layout of the sources"
    scripts/format.sh --check
    ;;
*)
    echo "usage: $0 [--sanitize | --fuzz | --windows | --format]" >&2
    exit 64
    ;;
esac
