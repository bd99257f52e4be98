#!/usr/bin/env bash
# Installs what is missing, builds, then creates a fresh demo installation in demo/,
# previews what a transmission would send, transmits it with kalvora-envio-batch and
# verifies the destination against its sources. Everything runs on the embedded engine: no
# server is needed. One entry of the demo fails on purpose, so the batch's exit status 1 is
# the expected outcome of the transmission; the verification finds that voucher missing, a
# voucher and an account edited by hand in the destination and a voucher only it holds
# (exit status 1); the repair sets right the two edited ones and leaves the other two (exit
# status 1). Anything else fails this script.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

install_packages
build build
say "Built: build/kalvora-envio, build/kalvora-envio-batch"

demo="$PWD/demo"
say "Creating the demo installation in $demo"
build/tools/kalvora-demo "$demo"

# "-" takes the password from KALVORA_PASSWORD; the embedded engine does not check it.
batch() {
    KALVORA_REGISTRY="$demo/kalvora.reg" KALVORA_PASSWORD=masterkey \
        build/kalvora-envio-batch "$@" "$demo/servidor" SYSDBA - 001
}

say "Previewing: kalvora-envio-batch --preview $demo/servidor SYSDBA - 001 (writes nothing)"
batch --preview >"$demo/vista_previa.txt"
# The first entries of each source company and every count; the whole list is in the file.
awk '/^  [0-9]/ { if (++shown[company] <= 4) print; else if (shown[company] == 5) print "  ..."; next }
     { company = $0; print }' "$demo/vista_previa.txt"
echo "(the whole preview: $demo/vista_previa.txt)"

say "Transmitting the demo: kalvora-envio-batch $demo/servidor SYSDBA - 001"
status=0
batch >"$demo/salida.txt" || status=$?
cat "$demo/salida.txt"

expected=$(cat "$demo/RESUMEN_ESPERADO.txt")
if [ "$status" -ne 1 ] || ! grep -qxF "$expected" "$demo/salida.txt"; then
    echo "The demo did not run as expected (exit status $status; expected 1 and: $expected)" >&2
    exit 1
fi
say "The demo ran as expected: exit status 1, because one entry fails on purpose (see $demo/ERRORES.TXT)"
report=$(sed -n 's/^Informe: //p' "$demo/salida.txt")
if [ ! -f "$report" ]; then
    echo "The transmission left no report" >&2
    exit 1
fi
say "The run's report, with the failed entry and its reason: $report"

previewed=$(sed -n 's/^Total: \([0-9]*\) entradas.*/\1/p' "$demo/vista_previa.txt")
sent=$(grep -c '' "$demo/ENVIO.TXT")
if [ "$previewed" != "$sent" ]; then
    echo "The preview listed $previewed entries, the transmission took up $sent" >&2
    exit 1
fi
say "The preview listed the $sent entries that the transmission took up (ENVIO.TXT)"

say "Verifying: kalvora-envio-batch --verify $demo/servidor SYSDBA - 001 (writes only VERIFICACION.CSV)"
status=0
batch --verify || status=$?
if [ "$status" -ne 1 ] ||
    ! diff <(tail -n +2 "$demo/VERIFICACION.CSV" | sort) <(sort "$demo/VERIFICACION_ESPERADA.CSV"); then
    echo "The verification did not find what the demo built (exit status $status; expected 1)" >&2
    exit 1
fi
say "The verification found exactly the four differences the demo builds on purpose: the refused voucher, a voucher and an account edited by hand, and a voucher only the destination holds"

say "Planning the repair: kalvora-envio-batch --repair --dry-run $demo/servidor SYSDBA - 001 (writes nothing)"
status=0
batch --repair --dry-run || status=$?
[ "$status" -eq 1 ] || { echo "The repair's plan ended with exit status $status; expected 1" >&2; exit 1; }

say "Repairing: kalvora-envio-batch --repair $demo/servidor SYSDBA - 001"
status=0
batch --repair >"$demo/reparacion.txt" 2>"$demo/reparacion_errores.txt" || status=$?
cat "$demo/reparacion.txt"
if [ "$status" -ne 1 ] ||
    ! diff <(tail -n +2 "$demo/VERIFICACION.CSV" | sort) <(sort "$demo/REPARACION_ESPERADA.CSV"); then
    echo "The repair did not leave what the demo expects (exit status $status; expected 1)" >&2
    exit 1
fi
repair_report=$(sed -n 's/^Informe: //p' "$demo/reparacion.txt")
[ -f "$repair_report" ] || { echo "The repair left no report" >&2; exit 1; }
say "The repair set right the edited voucher and account; left, on purpose: the voucher the destination refuses (see $repair_report) and the one only the destination holds (--delete-extra would delete it)"
echo "Journals: $demo/ENVIO.TXT and $demo/ERRORES.TXT; differences: $demo/VERIFICACION.CSV"
echo "Open the window on the same demo (server $demo/servidor, user SYSDBA, any password):"
echo "  KALVORA_REGISTRY=$demo/kalvora.reg ./build/kalvora-envio"
echo "Run ./run.sh again to start from pending entries anew."
