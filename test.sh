#!/usr/bin/env bash
# Installs what is missing, builds, starts the Firebird server when none runs, and runs
# every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

install_packages
build build
start_firebird_server
say "Running the tests"
cd build
ctest --output-on-failure -j"$(nproc)"
