# Shared set-up of scripts/run and scripts/test: the Debian packages the build needs, and a
# configured, built tree. Sourced, not run.

YAOSHI_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev libxcb1-dev libbenchmark-dev
    fonts-noto-cjk fonts-arphic-ukai fonts-wqy-microhei qt6-translations-l10n
    desktop-file-utils poppler-utils qt6-svg-dev)

# How long to wait for another package manager (unattended upgrades, a software centre) to let
# go of apt's and dpkg's locks, in seconds.
YAOSHI_LOCK_TIMEOUT=${YAOSHI_LOCK_TIMEOUT:-1800}

# The process holding one of apt's or dpkg's locks, as "PID COMMAND"; nothing when none is held.
package_lock_holder() {
    "${sudo[@]}" lslocks -n -o PID,COMMAND,PATH 2>/dev/null | awk '
        $NF ~ "^/var/lib/dpkg/lock(-frontend)?$|^/var/lib/apt/lists/lock$|^/var/cache/apt/archives/lock$" {
            print $1, $2
            exit
        }'
}

# apt_get ARGS...: apt-get, once no other package manager holds the locks. apt waits for dpkg's
# lock by itself (DPkg::Lock::Timeout) but not for the lists lock that "update" takes, and says
# nothing while it waits under -qq, so the waiting is done and told here.
apt_get() {
    local start=$SECONDS told=-60 holder status
    while :; do
        while holder=$(package_lock_holder) && [ -n "$holder" ]; do
            if [ $((SECONDS - start)) -ge "$YAOSHI_LOCK_TIMEOUT" ]; then
                echo "Gave up waiting for the package lock after ${YAOSHI_LOCK_TIMEOUT} s" >&2
                return 1
            fi
            if [ $((SECONDS - told)) -ge 60 ]; then
                echo "Waiting for ${holder#* } (process ${holder%% *}) to release the package lock" \
                    "($((SECONDS - start)) s so far, at most ${YAOSHI_LOCK_TIMEOUT} s)..."
                told=$SECONDS
            fi
            sleep 2
        done
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get \
            -o DPkg::Lock::Timeout=$((YAOSHI_LOCK_TIMEOUT - (SECONDS - start))) "$@"
        status=$?
        # Another package manager may have taken the lock between the look and apt's start.
        [ $status -ne 0 ] && [ -n "$(package_lock_holder)" ] || return $status
    done
}

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
    apt_get update -qq &&
        apt_get install -y -qq --no-install-recommends "${missing[@]}"
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
