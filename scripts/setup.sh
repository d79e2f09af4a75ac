# setup.sh — sourced by run.sh and test.sh: installs the Debian packages the
# build and the tests need, only those that are missing.
orbelune_packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  freeglut3-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri libglx-mesa0
  libgtest-dev libbenchmark-dev
  xvfb xdotool x11-utils xdg-utils
  imagemagick netpbm python3-pil valgrind desktop-file-utils
  librsvg2-bin libxml2-utils
  libmpfr-dev g++-aarch64-linux-gnu qemu-user
)
orbelune_setup() {
  local missing=() p
  for p in "${orbelune_packages[@]}"; do
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
orbelune_setup
