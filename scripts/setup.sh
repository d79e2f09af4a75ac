# setup.sh — sourced by run.sh and test.sh: installs the Debian packages the
# build and the tests need, only those that are missing.
orbelune_packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  freeglut3-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri libglx-mesa0
  libgtest-dev libbenchmark-dev
  xvfb xdotool x11-utils xdg-utils
  imagemagick netpbm python3-pil valgrind desktop-file-utils
  libmpfr-dev g++-aarch64-linux-gnu qemu-user
)
# The browser edition (web/build.sh sources this file with ORBELUNE_SETUP=web):
# emscripten, chromium for its tests, and node with npm unless the commands
# already come from another install.
orbelune_web_packages=(emscripten chromium)
command -v node >/dev/null 2>&1 || orbelune_web_packages+=(nodejs)
command -v npm >/dev/null 2>&1 || orbelune_web_packages+=(npm)
orbelune_setup() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "installation de : ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}
if [ "${ORBELUNE_SETUP:-}" = web ]; then
  orbelune_setup "${orbelune_web_packages[@]}"
else
  orbelune_setup "${orbelune_packages[@]}"
fi
