# Shared by the README's commands (tools/run.sh, tools/test.sh). Source it; do not run it.

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wine_loader=/usr/lib/wine/wine64
wine_server=/usr/lib/wine/wineserver

say() { printf '\n== %s\n' "$*"; }

# Installs the Debian packages the build and the tests need, when any is missing.
install_dependencies() {
    local wanted=(cmake ninja-build g++ googletest g++-mingw-w64-x86-64-posix
                  wine64 xvfb xauth x11-utils imagemagick clang libclang-rt-14-dev wixl)
    local missing=()
    local package
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        say "Installing ${missing[*]}"
        if [ "$(id -u)" -ne 0 ]; then
            echo "These Debian packages are missing and installing them needs root: ${missing[*]}" >&2
            return 1
        fi
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    fi
}

# configure_and_build PRESET: configures the build tree of a preset once and builds it.
configure_and_build() {
    local preset=$1
    say "Building the $preset tree"
    cmake --preset "$preset" -S "$repo_root" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
}
