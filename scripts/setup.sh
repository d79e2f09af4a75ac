# setup.sh — sourced by run.sh, test.sh and packaging/build-deb.sh: installs
# the Debian packages that are missing, by group:
#   source scripts/setup.sh run        building and running the program
#   source scripts/setup.sh headless   + a private X server and a screenshot
#                                        (run.sh without a display)
#   source scripts/setup.sh package    + the tools that build the .deb
#   source scripts/setup.sh web        + emscripten and chromium (web/build.sh)
#   source scripts/setup.sh test       + everything the tests use
# Without an argument, every group.  Package names carry no release
# number, so the same lists install on Debian 12 and Debian 13.

# Compiler, build tools, the GL/GLUT headers, the GL drivers the window
# needs, and the opener of the "Aide" and "Edition" menu entries.
orbelune_run_packages=(
  cmake
  ninja-build
  g++
  libglut-dev
  libglu1-mesa-dev
  libgl-dev
  libgl1-mesa-dri
  libglx-mesa0
  xdg-utils
)
orbelune_headless_packages=(
  xvfb
  xdotool
  imagemagick
)
orbelune_package_packages=(
  dpkg-dev
  librsvg2-bin
)
# clang with its sanitizer and fuzzer runtimes (libclang-rt-dev follows
# the release's default clang), GoogleTest, Google Benchmark, the window
# test tools, the image tools the reader is compared with, and the
# checkers of the package.
orbelune_test_packages=(
  clang
  libclang-rt-dev
  libgtest-dev
  libbenchmark-dev
  x11-utils
  netpbm
  python3-pil
  valgrind
  desktop-file-utils
  lintian
  appstream
  libnotify-bin
  dbus-daemon
  dunst
  passwd
  libxml2-utils
  libmpfr-dev
  g++-aarch64-linux-gnu
  qemu-user
)
# The browser edition (web/build.sh sources this file with the group web):
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
orbelune_groups() {
  local g all=()
  (($#)) || set -- test
  for g in "$@"; do
    case "$g" in
      test) all+=("${orbelune_test_packages[@]}" "${orbelune_package_packages[@]}" "${orbelune_headless_packages[@]}"
                  "${orbelune_web_packages[@]}") ;;
      web) all+=("${orbelune_web_packages[@]}") ;;
      package) all+=("${orbelune_package_packages[@]}") ;;
      headless) all+=("${orbelune_headless_packages[@]}") ;;
      run) ;;
      *) echo "setup.sh : groupe inconnu : $g" >&2; return 1 ;;
    esac
  done
  orbelune_setup "${orbelune_run_packages[@]}" "${all[@]}"
}
orbelune_groups "$@"
