#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

install_packages
build build
say "Built: build/kalvora-envio"
