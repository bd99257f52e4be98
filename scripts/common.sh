# Shared by run.sh and test.sh: packages, build, Firebird server. Sourced, not run.

PACKAGES=(cmake g++ make qt6-base-dev qt6-translations-l10n libgtest-dev
          firebird3.0-server firebird3.0-server-core firebird3.0-utils libfbclient2 firebird-dev
          xvfb xauth libxml2-utils)

say() { printf '\n==> %s\n' "$*"; }

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# ccache, where the machine has it, makes a rebuild in a fresh clone cheap; paths below the
# clone count as relative, so another clone of the same sources hits the same cache.
COMPILER_LAUNCHER=()
if command -v ccache >/dev/null; then
    COMPILER_LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$PWD"
    # Debug information names the build folder; without this every clone would miss.
    export CCACHE_NOHASHDIR=1
fi

# build DIR [cmake options...]
build() {
    local dir=$1; shift
    say "Building in $dir"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${COMPILER_LAUNCHER[@]}" "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

server_listening() {
    (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null
}

# The sign-in tests need real authentication, which only the server does.
start_firebird_server() {
    server_listening && return 0
    say "Starting the Firebird server on 127.0.0.1:3050"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo /usr/sbin/fbguard -daemon -forever
    for _ in $(seq 1 50); do
        server_listening && return 0
        sleep 0.2
    done
    echo "The Firebird server did not start" >&2
    return 1
}

# ---------------------------------------------------------------------------- test.sh modes

FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# The Windows build: MinGW-w64 for the programs, GoogleTest's sources and Firebird's headers
# from Debian, Wine to run the result; wixl and msitools build and read the installer,
# xmllint checks the scheduled task's file.
WINDOWS_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine googletest firebird-dev
                  wixl msitools libxml2-utils)
WINDOWS_TARGETS=(kalvora-envio-batch database_free_tests schtasks_stand_in fuzz_servers_replay fuzz_registry_file_replay
                 fuzz_error_messages_replay fuzz_scrambler_replay)
FUZZ_TARGETS=(fuzz_servers fuzz_registry_file fuzz_error_messages fuzz_scrambler fuzz_statements fuzz_selection fuzz_lifting)

# The sanitizers stop at the first report (the fuzzers too). Firebird's libraries keep some
# memory to the end of the process, so leaks are checked with them suppressed (scripts/lsan.supp).
# intercept_tls_get_addr=0: the runtime's own record of the thread-local blocks of libraries
# loaded later (the engine's plugins) guesses a block's bounds from the bytes before it, and
# for a block that starts 16 bytes into a page reads garbage there; the leak check at exit then
# scans that range and its tracer dies (signal 11), by chance of where the block landed.
# Without the record those blocks are still scanned: the leak check takes what the dynamic
# linker allocates as reachable and follows the pointers in it.
SANITIZER_ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:intercept_tls_get_addr=0"
SANITIZER_LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
SANITIZER_UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

# build_targets DIR "CMAKE OPTIONS" TARGET...
build_targets() {
    local dir=$1 options=$2
    shift 2
    say "Building in $dir: $*"
    # shellcheck disable=SC2086  # the options are words
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${COMPILER_LAUNCHER[@]}" $options >/dev/null
    cmake --build "$dir" -j"$(nproc)" --target "$@"
}

# run_fuzzers DIR SECONDS: each target for SECONDS on a scratch corpus seeded from
# fuzz/corpus/<target>/ (left unchanged); a crash keeps its input in DIR/artifacts/.
run_fuzzers() {
    local dir=$1 seconds=$2 t failed=()
    mkdir -p "$dir/artifacts"
    for t in "${FUZZ_TARGETS[@]}"; do
        say "Fuzzing $t for ${seconds}s"
        rm -rf "$dir/corpus/$t"
        mkdir -p "$dir/corpus/$t"
        if ! ASAN_OPTIONS="$SANITIZER_ASAN_OPTIONS" LSAN_OPTIONS="$SANITIZER_LSAN_OPTIONS" \
                UBSAN_OPTIONS="$SANITIZER_UBSAN_OPTIONS" "$dir/fuzz/$t" -max_total_time="$seconds" \
                -print_final_stats=1 -artifact_prefix="$dir/artifacts/$t-" "$dir/corpus/$t" "fuzz/corpus/$t" \
                >"$dir/$t.log" 2>&1; then
            tail -n 40 "$dir/$t.log"
            failed+=("$t")
        else
            grep -E '^(Done|stat::number_of_executed_units)' "$dir/$t.log" || true
        fi
    done
    if [ ${#failed[@]} -ne 0 ]; then
        echo "Fuzzing found crashes in: ${failed[*]}; inputs in $dir/artifacts/ (keep each, once fixed," \
             "in fuzz/corpus/<target>/)" >&2
        return 1
    fi
}

# use_wine DIR: a Wine prefix of its own in DIR/wine, made once; no display, no messages.
# Wine takes its code page from the locale: C.UTF-8 gives Windows-1252, as a Spanish Windows.
use_wine() {
    export WINEPREFIX="$PWD/$1/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
    unset DISPLAY WAYLAND_DISPLAY
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "Preparing the Wine prefix $WINEPREFIX"
        wineboot --init >/dev/null 2>&1
        wineserver --wait
    fi
}

# check_batch_under_wine DIR: --help and a usage error exit as documented.
check_batch_under_wine() {
    local batch="$1/kalvora-envio-batch.exe" status=0
    say "kalvora-envio-batch.exe under Wine"
    wine "$batch" --help >"$1/batch-help.txt" 2>&1 || status=$?
    if [ "$status" -ne 0 ] || ! grep -q "COMPAÑIA" "$1/batch-help.txt"; then
        echo "--help: exit status $status" >&2
        cat "$1/batch-help.txt" >&2
        return 1
    fi
    head -n 1 "$1/batch-help.txt"
    status=0
    wine "$batch" /srv SYSDBA clave >"$1/batch-usage.txt" 2>&1 || status=$?
    if [ "$status" -ne 64 ]; then
        echo "usage error: exit status $status, expected 64" >&2
        cat "$1/batch-usage.txt" >&2
        return 1
    fi
    head -n 1 "$1/batch-usage.txt"
}
