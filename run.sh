#!/usr/bin/env bash
# Installs what is missing, builds, then creates a fresh demo installation in demo/ and
# transmits it with kalvora-envio-batch. Everything runs on the embedded engine: no server
# is needed. One entry of the demo fails on purpose, so the batch's exit status 1 is the
# expected outcome; 2 (the run stopped) or 64 (usage) fail this script.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

install_packages
build build
say "Built: build/kalvora-envio, build/kalvora-envio-batch"

demo="$PWD/demo"
say "Creating the demo installation in $demo"
build/tools/kalvora-demo "$demo"

say "Transmitting the demo: kalvora-envio-batch $demo/servidor SYSDBA - 001"
# "-" takes the password from KALVORA_PASSWORD; the embedded engine does not check it.
status=0
KALVORA_REGISTRY="$demo/kalvora.reg" KALVORA_PASSWORD=masterkey \
    build/kalvora-envio-batch "$demo/servidor" SYSDBA - 001 >"$demo/salida.txt" || status=$?
cat "$demo/salida.txt"

expected=$(cat "$demo/RESUMEN_ESPERADO.txt")
if [ "$status" -ne 1 ] || ! grep -qxF "$expected" "$demo/salida.txt"; then
    echo "The demo did not run as expected (exit status $status; expected 1 and: $expected)" >&2
    exit 1
fi
say "The demo ran as expected: exit status 1, because one entry fails on purpose (see $demo/ERRORES.TXT)"
echo "Journals: $demo/ENVIO.TXT and $demo/ERRORES.TXT"
echo "Open the window on the same demo (server $demo/servidor, user SYSDBA, any password):"
echo "  KALVORA_REGISTRY=$demo/kalvora.reg ./build/kalvora-envio"
echo "Run ./run.sh again to start from pending entries anew."
