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

# The configure preset of CMakePresets.json that a name stands for: itself, or the preset whose
# folder it names (build: default, build-asan: asan, ...); nothing for any other folder.
preset_of() {
    local preset=$1
    case $preset in
    build) preset=default ;;
    build-*) preset=${preset#build-} ;;
    esac
    grep -q "\"name\": \"$preset\"" CMakePresets.json && echo "$preset"
}

# configure_tree PRESET [cmake options...]: configures the tree of a preset (default in build/,
# asan in build-asan/, tsan, fuzz and release likewise), or a folder of another name plainly.
configure_tree() {
    local tree=(-S . -B "$1" -G Ninja) launcher=() preset
    preset=$(preset_of "$1") && tree=(--preset "$preset")
    shift
    # ccache, when installed, makes a rebuild of another checkout or build type cheap.
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake "${tree[@]}" "${launcher[@]}" "$@" >/dev/null
}

# build_tree PRESET [cmake options...]: configure_tree, then builds what the preset's build
# preset names (everything, where it names no targets).
build_tree() {
    local preset
    configure_tree "$@"
    if preset=$(preset_of "$1"); then
        cmake --build --preset "$preset"
    else
        cmake --build "$1"
    fi
}
