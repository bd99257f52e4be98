#!/usr/bin/env bash
# check_msi.sh OLDER.msi NEWER.msi BUILD_DIR: reads the installer's tables with msiinfo,
# then, in a Wine prefix of its own (BUILD_DIR/wine-msi, made anew), installs the older
# package silently, upgrades it with the newer one and uninstalls it, checking after each
# step the files, the Start-menu entry, the "Programs and Features" entry, the installed
# kalvora-envio-batch.exe --version, and that the suite's own key and a neighbour's files
# are as they were. The installed program also schedules a run through a stand-in
# schtasks (BUILD_DIR/tests/schtasks_stand_in.exe), whose task file xmllint must accept.
set -euo pipefail
older=$(realpath "$1")
newer=$(realpath "$2")
build=$(realpath "$3")

failures=0
fail() {
    echo "check_msi: $*" >&2
    failures=$((failures + 1))
}

# ------------------------------------------------------------------ the tables, without Wine
tables=$(msiinfo tables "$older")
for table in File Component Directory Shortcut Upgrade Property Registry; do
    grep -qx "$table" <<<"$tables" || fail "no $table table"
done
files=$(msiinfo export "$older" File)
for file in kalvora-envio-batch.exe guia.html LICENCIA.txt; do
    grep -q "$file" <<<"$files" || fail "the File table lacks $file"
done
! grep -qi 'fbclient\|firebird' <<<"$files" || fail "the package ships the Firebird client"
grep -q ProgramFiles64Folder <<<"$(msiinfo export "$older" Directory)" || fail "not installed below Program Files (64-bit)"
! grep -qi quenti <<<"$(msiinfo export "$older" Registry)" || fail "the package writes the suite's key"
grep -q 'guia.html' <<<"$(msiinfo export "$older" Shortcut)" || fail "no Start-menu entry for the guide"
grep -q 'x64' <<<"$(msiinfo suminfo "$older")" || fail "not a 64-bit package"
upgrade_code() { msiinfo export "$1" Property | sed -n 's/^UpgradeCode\t//p' | tr -d '\r'; }
[ "$(upgrade_code "$older")" = "$(upgrade_code "$newer")" ] || fail "the packages have different upgrade codes"
grep -q "$(upgrade_code "$older")" <<<"$(msiinfo export "$newer" Upgrade)" || fail "the newer package does not replace the older"

# ------------------------------------------------------------------ under Wine
export WINEPREFIX=$build/wine-msi WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
wineserver --wait
program_files="$WINEPREFIX/drive_c/Program Files"
installed="$program_files/Kalvora/Envio"
# The machine's Start menu, or (as Wine has it) the installing user's.
menus=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kalvora Envío"
       "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Kalvora Envío")
suite_key='HKLM\Software\Quenti\Kalvora2015'

# What is not the package's: the suite's key, and a neighbour in the vendor's folder.
wine reg add "$suite_key" /v Directorio /t REG_SZ /d 'C:\Kalvora' /f >/dev/null 2>&1
mkdir -p "$program_files/Kalvora/Contabilidad"
echo "de otro programa" >"$program_files/Kalvora/Contabilidad/dato.txt"
suite() { wine reg query "$suite_key" 2>/dev/null | tr -d '\r' | grep -v '^$'; }
suite_before=$(suite)
others_kept() {
    [ "$(suite)" = "$suite_before" ] || fail "$1: the suite's key changed: $(suite)"
    [ -f "$program_files/Kalvora/Contabilidad/dato.txt" ] || fail "$1: a neighbour's file is gone"
}
# arp: the "Programs and Features" entries named Kalvora Envío.
arp() { wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' | grep -c 'DisplayName.*Kalvora Env' || true; }
installed_version() { wine "$installed/kalvora-envio-batch.exe" --version 2>&1 | tr -d '\r'; }
expect_installed() {
    local step=$1 version=$2 file
    for file in kalvora-envio-batch.exe guia.html images/main-window.png LICENCIA.txt; do
        [ -f "$installed/$file" ] || fail "$step: $file is not installed"
    done
    [ "$(installed_version)" = "kalvora-envio-batch $version" ] || fail "$step: --version says $(installed_version)"
    compgen -G "${menus[0]}/*.lnk" >/dev/null || compgen -G "${menus[1]}/*.lnk" >/dev/null ||
        fail "$step: no Start-menu entry in ${menus[*]}"
    [ "$(arp)" = 1 ] || fail "$step: $(arp) entries in Programs and Features"
    others_kept "$step"
}
version_of_msi() { msiinfo export "$1" Property | sed -n 's/^ProductVersion\t//p' | tr -d '\r'; }

echo "Installing $older"
wine msiexec /i "$older" /qn || fail "the installation failed (status $?)"
expect_installed "installed" "$(version_of_msi "$older")"

# The installed program schedules a run: the stand-in records what schtasks would get.
record=$(mktemp -d)
trap 'rm -rf "$record"' EXIT
cp "$build/tests/schtasks_stand_in.exe" "$record/schtasks.exe"
WINEPATH=$(winepath -w "$record") KALVORA_STAND_IN_RECORD=$(winepath -w "$record") KALVORA_PASSWORD='clave ñandú' \
    wine "$installed/kalvora-envio-batch.exe" --schedule '127.0.0.1:C:\Kalvora' ENVIOS 001 --at 21:30 >/dev/null ||
    fail "--schedule failed"
if [ -f "$record/task.xml" ]; then
    xmllint --noout "$record/task.xml" || fail "xmllint refuses the task file"
    text=$(iconv -f UTF-16 -t UTF-8 "$record/task.xml")
    ! grep -q 'ñandú' <<<"$text" || fail "the task file holds the password"
    grep -q 'Envio\\kalvora-envio-batch.exe</Command>' <<<"$text" || fail "the task does not run the installed program"
    grep -q '@credencial 001</Arguments>' <<<"$text" || fail "the task does not read its password from the store"
else
    fail "schtasks received no task file"
fi
! grep -q 'ñandú' "$record/arguments.txt" || fail "schtasks received the password"
WINEPATH=$(winepath -w "$record") KALVORA_STAND_IN_RECORD=$(winepath -w "$record") \
    wine "$installed/kalvora-envio-batch.exe" --unschedule 001 >/dev/null || fail "--unschedule failed"

echo "Upgrading with $newer"
wine msiexec /i "$newer" /qn || fail "the upgrade failed (status $?)"
expect_installed "upgraded" "$(version_of_msi "$newer")"

echo "Uninstalling"
wine msiexec /x "$newer" /qn || fail "the uninstallation failed (status $?)"
[ ! -e "$installed" ] || fail "uninstalled: $installed is still there: $(cd "$installed" && find . | head)"
[ ! -e "${menus[0]}" ] && [ ! -e "${menus[1]}" ] || fail "uninstalled: the Start-menu folder is still there"
[ "$(arp)" = 0 ] || fail "uninstalled: still in Programs and Features"
! wine reg query 'HKCU\Software\Kalvora\Envio' >/dev/null 2>&1 || fail "uninstalled: HKCU\\Software\\Kalvora\\Envio is left"
others_kept "uninstalled"
wineserver --wait

if [ "$failures" -ne 0 ]; then
    echo "check_msi: $failures problem(s)" >&2
    exit 1
fi
echo "The installer installs, upgrades and uninstalls cleanly: $older, $newer"
