# Shared by run.sh and test.sh: packages, build, Firebird server. Sourced, not run.

PACKAGES=(cmake g++ make qt6-base-dev libgtest-dev
          firebird3.0-server firebird3.0-server-core firebird3.0-utils libfbclient2 firebird-dev
          xvfb xauth)

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

# build DIR [cmake options...]
build() {
    local dir=$1; shift
    say "Building in $dir"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
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
