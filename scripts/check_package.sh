#!/usr/bin/env bash
# check_package.sh DEB: unpacks the Debian package into a scratch root and checks that it
# is whole: the files are where the desktop entry and the units say, the programs from
# there answer --version (the window without a display) and --help, the manual pages in
# English and Spanish name every option of --help, the user's guide and its pictures are
# where the window looks, and systemd-analyze accepts the units where systemd is present.
set -euo pipefail
deb=$(realpath "$1")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$root/DEBIAN"

failures=0
fail() {
    echo "check_package: $*" >&2
    failures=$((failures + 1))
}
# field FILE KEY: the value of the first KEY= line.
field() { sed -n "s/^$2=//p" "$1" | head -n 1; }
exists() { [ -e "$root$1" ] || fail "$2 names $1, which the package does not hold"; }

version=$(dpkg-deb -f "$deb" Version)
changelog_version=$(zcat "$root/usr/share/doc/kalvora-envio/changelog.gz" | sed -n '1s/^kalvora-envio (\([^)]*\)).*/\1/p')
[ "$changelog_version" = "$version" ] || fail "the changelog's last entry is $changelog_version, the package $version"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libfbclient2 libqt6widgets6 qt6-qpa-plugins; do
    [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
! grep -qE -- '-dev( |,|$)' <<<"$depends" || fail "Depends names a development package: $depends"

grep -qx /etc/kalvora/kalvora.reg "$root/DEBIAN/conffiles" || fail "/etc/kalvora/kalvora.reg is not a conffile"
exists /etc/kalvora/kalvora.reg "conffiles"

# The desktop entry: its program and its icon.
desktop=$root/usr/share/applications/kalvora-envio.desktop
if [ -f "$desktop" ]; then
    program=$(field "$desktop" Exec | cut -d' ' -f1)
    [[ "$program" == /* ]] || program=/usr/bin/$program
    [ -x "$root$program" ] || fail "the desktop entry runs $program, which the package does not hold"
    icon=$(field "$desktop" Icon)
    compgen -G "$root/usr/share/icons/hicolor/*/apps/$icon.*" >/dev/null || fail "the desktop entry's icon $icon is missing"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the desktop entry"
    fi
else
    fail "no desktop entry"
fi

# The units: program, configuration, manual page; the timer starts the same template.
service=$(find "$root" -path '*/systemd/system/kalvora-envio@.service')
if [ -n "$service" ]; then
    unit_dir=${service%/*}
    [ -f "$unit_dir/kalvora-envio@.timer" ] || fail "no timer beside $service"
    exec_start=$(field "$service" ExecStart | cut -d' ' -f1)
    [ -x "$root$exec_start" ] || fail "the service runs $exec_start, which the package does not hold"
    environment_file=$(field "$service" EnvironmentFile)
    [ -d "$root${environment_file%/*}" ] || fail "the service reads ${environment_file}, in a folder the package does not make"
    registry=$(sed -n 's/^Environment=KALVORA_REGISTRY=//p' "$service")
    grep -qx "$registry" "$root/DEBIAN/conffiles" || fail "the service reads $registry, which is not the package's conffile"
    for unit in "$service" "$unit_dir/kalvora-envio@.timer"; do
        for page in $(sed -n 's/^Documentation=//p' "$unit" | tr ' ' '\n' | sed -n 's/^man:\(.*\)(\([0-9]\))$/\1.\2/p'); do
            exists "/usr/share/man/man${page##*.}/$page.gz" "${unit##*/}"
        done
    done
else
    fail "no kalvora-envio@.service"
fi

# The programs, run from the scratch root with the system's libraries.
batch=$root/usr/bin/kalvora-envio-batch
out=$("$batch" --version) || fail "kalvora-envio-batch --version failed"
[ "$out" = "kalvora-envio-batch $version" ] || fail "kalvora-envio-batch --version says: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/kalvora-envio" --version) ||
    fail "kalvora-envio --version failed without a display"
[ "$out" = "kalvora-envio $version" ] || fail "kalvora-envio --version says: $out"
help=$("$batch" --help) || fail "kalvora-envio-batch --help failed"
[[ "$help" == "Uso: kalvora-envio-batch"* ]] || fail "kalvora-envio-batch --help says: $help"

# Every option that --help lists is in the manual page (groff writes - as \-).
page=$(zcat "$root/usr/share/man/man1/kalvora-envio-batch.1.gz" | sed 's/\\-/-/g')
for option in $(grep -oE '^ +(-[a-z], )?--[a-z-]+' <<<"$help" | grep -oE -- '--[a-z-]+'); do
    grep -qe "$option" <<<"$page" || fail "the manual page of kalvora-envio-batch lacks $option"
done

# The Spanish pages beside the English ones, with the same options; both name the preview
# and the verification.
for program in kalvora-envio kalvora-envio-batch; do
    spanish=/usr/share/man/es/man1/$program.1.gz
    exists "$spanish" "the Spanish manual pages"
    [ -e "$root$spanish" ] || continue
    text=$(zcat "$root$spanish" | sed 's/\\-/-/g')
    for word in "vista previa" "verificación"; do
        grep -qi "$word" <<<"$text" || fail "$spanish does not name the $word"
    done
    if command -v man >/dev/null; then
        ! man --warnings -E UTF-8 -l "$root$spanish" 2>&1 >/dev/null | grep . || fail "man warns about $spanish"
    fi
done
page_es=$(zcat "$root/usr/share/man/es/man1/kalvora-envio-batch.1.gz" | sed 's/\\-/-/g')
for option in $(grep -oE '^ +(-[a-z], )?--[a-z-]+' <<<"$help" | grep -oE -- '--[a-z-]+'); do
    grep -qe "$option" <<<"$page_es" || fail "the Spanish manual page of kalvora-envio-batch lacks $option"
done

# The user's guide, where the window's F1 opens it, with every picture it shows.
guide=/usr/share/doc/kalvora-envio/guia.html
exists "$guide" "the window's F1"
if [ -f "$root$guide" ]; then
    grep -q '<html lang="es">' "$root$guide" || fail "the guide is not in Spanish"
    for picture in $(grep -oE 'src="[^"]+"' "$root$guide" | sed 's/^src="//; s/"$//'); do
        exists "${guide%/*}/$picture" "the guide"
    done
    # The guide is kept well-formed, so that a tag left open shows here.
    if command -v xmllint >/dev/null; then
        xmllint --noout "$root$guide" || fail "xmllint finds the guide ill-formed"
    fi
fi

if command -v systemd-analyze >/dev/null && [ -d /lib/systemd/system ]; then
    # The units are checked against the system's own targets, with the program of the root.
    cp -an /lib/systemd/system/. "$unit_dir/"
    report=$(systemd-analyze verify --man=no --root="$root" kalvora-envio@001.service kalvora-envio@001.timer 2>&1) ||
        fail "systemd-analyze verify refuses the units"
    [ -z "$report" ] || fail "systemd-analyze verify says: $report"
else
    echo "systemd-analyze is not installed: the units are not verified"
fi

if [ "$failures" -ne 0 ]; then
    echo "check_package: $failures problem(s) in $deb" >&2
    exit 1
fi
echo "The package is whole: $deb"
