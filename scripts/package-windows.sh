#!/usr/bin/env bash
# Builds the Windows installer DIR/packages/kalvora-envio-VERSION-x64.msi with wixl from what
# the Windows build in DIR holds: kalvora-envio-batch.exe, kalvora-envio.exe with the Qt
# files that windeployqt put in DIR/qt-deploy when the build found a Qt for Windows, the
# user's guide and its pictures, and the licence.
#   scripts/package-windows.sh [DIR]           (default: build-windows) build the package
#   scripts/package-windows.sh --check [DIR]   then build a newer one and check both under
#                                              Wine (scripts/check_msi.sh; ./test.sh --windows)
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

# msi DIR: stages the files and builds the package; prints its path.
msi() {
    local build=$1 version stage out id name relative components=()
    version=$(version_of "$build")
    stage=$build/msi/root
    rm -rf "$build/msi"
    mkdir -p "$stage/images" "$build/packages"
    cp "$build/kalvora-envio-batch.exe" "$stage/"
    cp docs/guia.html "$stage/"
    cp docs/images/*.png "$stage/images/"
    cp packaging/debian/copyright "$stage/LICENCIA.txt"
    echo '<Include>' >"$build/msi/window-shortcut.wxi"
    if [ -f "$build/kalvora-envio.exe" ]; then
        cp "$build/kalvora-envio.exe" "$stage/"
        if [ -d "$build/qt-deploy" ]; then
            cp -r "$build/qt-deploy/." "$stage/"
        fi
        echo '<Shortcut Id="WindowShortcut" Name="Envío de información" Target="[INSTALLDIR]kalvora-envio.exe"
                   WorkingDirectory="INSTALLDIR"/>' >>"$build/msi/window-shortcut.wxi"
    fi
    echo '</Include>' >>"$build/msi/window-shortcut.wxi"

    # One component per file, each file its component's key path, in a tree of directories.
    {
        echo '<Include>'
        write_folder "$stage" ""
        echo '</Include>'
    } >"$build/msi/files.wxi"
    while IFS= read -r relative; do
        components+=("    <ComponentRef Id=\"$(component_id "$relative")\"/>")
    done < <(cd "$stage" && find . -type f | sed 's|^\./||' | sort)
    printf '<Include>\n%s\n</Include>\n' "$(printf '%s\n' "${components[@]}")" >"$build/msi/file-refs.wxi"

    out=$build/packages/kalvora-envio-$version-x64.msi
    rm -f "$out"
    # wixl takes the sources' paths relative to where it runs.
    local wxs=$PWD/packaging/windows/kalvora-envio.wxs includes target
    includes=$(realpath "$build/msi")
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
package=$(msi "$dir")
echo "Built: $package"
$check || exit 0

# The upgrade needs a newer build: the same sources, a higher version number.
next_version="$(version_of "$dir").1"
next=$dir/next
build_targets "$next" "--no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKALVORA_VERSION=$next_version \
    -DKALVORA_WINDOW_PROGRAM=OFF -DKALVORA_TOOLS=OFF -DKALVORA_BENCHMARKS=OFF -DKALVORA_TESTS=OFF -DKALVORA_FUZZ_REPLAYS=OFF" \
    kalvora-envio-batch
newer=$(msi "$next")
echo "Built: $newer"
scripts/check_msi.sh "$package" "$newer" "$dir"
