# Shared set-up of scripts/run and scripts/test: the Debian packages the build needs, and a
# configured, built tree. Sourced, not run.

YAOSHI_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev libxcb1-dev libbenchmark-dev
    fonts-noto-cjk fonts-arphic-ukai fonts-wqy-microhei qt6-translations-l10n
    desktop-file-utils poppler-utils)

ensure_packages() {
    local missing=()
    local pkg
    for pkg in "${YAOSHI_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build_tree DIR [cmake options...]
build_tree() {
    local dir=$1
    shift
    local launcher=()
    # ccache, when installed, makes a rebuild of another checkout or build type cheap.
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir"
}
