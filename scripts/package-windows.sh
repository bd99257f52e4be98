#!/usr/bin/env bash
# Builds the Windows installer DIR/packages/kalvora-envio-VERSION-x64.msi with wixl from what
# the Windows build in DIR holds: kalvora-envio-batch.exe, kalvora-envio.exe with the Qt
# files that windeployqt put in DIR/qt-deploy when the build found a Qt for Windows, the
# user's guide and its pictures, and the licence.
#   scripts/package-windows.sh [DIR]           (default: build-windows) build the package
#   scripts/package-windows.sh --check [DIR]   then build a newer one (DIR/next) and check
#                                              both under Wine (scripts/check_msi.sh;
#                                              ./test.sh --windows)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
. scripts/common.sh

check=false
if [ "${1:-}" = --check ]; then
    check=true
    shift
fi
dir=${1:-build-windows}
[ -f "$dir/kalvora-envio-batch.exe" ] || { echo "No $dir/kalvora-envio-batch.exe: build for Windows first" >&2; exit 1; }

# version_of DIR: the version the build's programs carry.
version_of() { sed -n 's/^KALVORA_VERSION:STRING=//p' "$1/CMakeCache.txt"; }

# guid NAME: the same identifier for the same name in every build, so that an upgrade
# recognises each component.
guid() {
    local h
    h=$(printf 'kalvora-envio:%s' "$1" | md5sum | tr a-f A-F)
    echo "${h:0:8}-${h:8:4}-${h:12:4}-${h:16:4}-${h:20:12}"
}

# msi PROGRAMS VERSION WORK: stages the programs of the folder PROGRAMS and the rest in
# WORK, and builds the package of that version in $dir/packages; prints its path.
msi() {
    local build=$1 version=$2 work=$3 stage out relative components=()
    stage=$work/root
    rm -rf "$work"
    mkdir -p "$stage/images" "$dir/packages"
    cp "$build/kalvora-envio-batch.exe" "$stage/"
    cp docs/guia.html "$stage/"
    cp docs/images/*.png "$stage/images/"
    cp packaging/debian/copyright "$stage/LICENCIA.txt"
    echo '<Include>' >"$work/window-shortcut.wxi"
    if [ -f "$build/kalvora-envio.exe" ]; then
        cp "$build/kalvora-envio.exe" "$stage/"
        if [ -d "$dir/qt-deploy" ]; then
            cp -r "$dir/qt-deploy/." "$stage/"
        fi
        echo '<Shortcut Id="WindowShortcut" Name="Envío de información" Target="[INSTALLDIR]kalvora-envio.exe"
                   WorkingDirectory="INSTALLDIR"/>' >>"$work/window-shortcut.wxi"
    fi
    echo '</Include>' >>"$work/window-shortcut.wxi"

    # One component per file, each file its component's key path, in a tree of directories.
    {
        echo '<Include>'
        write_folder "$stage" ""
        echo '</Include>'
    } >"$work/files.wxi"
    while IFS= read -r relative; do
        components+=("    <ComponentRef Id=\"$(component_id "$relative")\"/>")
    done < <(cd "$stage" && find . -type f | sed 's|^\./||' | sort)
    printf '<Include>\n%s\n</Include>\n' "$(printf '%s\n' "${components[@]}")" >"$work/file-refs.wxi"

    out=$dir/packages/kalvora-envio-$version-x64.msi
    rm -f "$out"
    # wixl takes the sources' paths relative to where it runs.
    local wxs=$PWD/packaging/windows/kalvora-envio.wxs includes target
    includes=$(realpath "$work")
    target=$(realpath -m "$out")
    (cd "$stage" && wixl -a x64 -I "$includes" -D "Version=$version" -o "$target" "$wxs") >&2
    echo "$out"
}

component_id() { echo "c_$(printf '%s' "$1" | md5sum | cut -c1-24)"; }

# write_folder STAGE RELATIVE: the Directory and Component elements below RELATIVE.
write_folder() {
    local stage=$1 relative=$2 entry name path
    for entry in "$stage/$relative"*; do
        name=${entry##*/}
        path=$relative$name
        if [ -d "$entry" ]; then
            echo "<Directory Id=\"d_$(printf '%s' "$path" | md5sum | cut -c1-24)\" Name=\"$name\">"
            write_folder "$stage" "$path/"
            echo '</Directory>'
        else
            echo "<Component Id=\"$(component_id "$path")\" Guid=\"$(guid "$path")\" Win64=\"yes\">"
            echo "  <File Id=\"f_$(printf '%s' "$path" | md5sum | cut -c1-24)\" Name=\"$name\" Source=\"$path\" KeyPath=\"yes\"/>"
            echo '</Component>'
        fi
    done
}

say "Building the Windows installer from $dir"
version=$(version_of "$dir")
package=$(msi "$dir" "$version" "$dir/msi")
echo "Built: $package"
$check || exit 0

# The upgrade needs a newer build: the same tree with a higher version number, which only
# the programs' own sources take; the tree gets its own version back afterwards.
next_version=$version.1
programs=(kalvora-envio-batch)
[ -f "$dir/kalvora-envio.exe" ] && programs+=(kalvora-envio)
build_version() {
    cmake -S . -B "$dir" -DKALVORA_VERSION="$1" >/dev/null
    cmake --build "$dir" -j"$(nproc)" --target "${programs[@]}" >/dev/null
}
say "Building version $next_version for the upgrade"
trap 'build_version "$version"' EXIT
build_version "$next_version"
rm -rf "$dir/next"
mkdir -p "$dir/next"
for program in "${programs[@]}"; do
    cp "$dir/$program.exe" "$dir/next/"
done
build_version "$version"
trap - EXIT
newer=$(msi "$dir/next" "$next_version" "$dir/msi-next")
echo "Built: $newer"
scripts/check_msi.sh "$package" "$newer" "$dir"
