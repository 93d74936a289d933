#!/usr/bin/env bash
# Installs what the build needs on Debian 12 (only what is missing), then configures and builds.
#   scripts/setup.sh            build dependencies, configure, build
#   scripts/setup.sh --tests    also what the tests use (LibreOffice, openpyxl, Xvfb)
#   --no-build (after either)   only the packages
# Environment: BUILD_DIR (default build), TALLYVANE_WERROR=ON to turn warnings into errors.
set -euo pipefail
cd "$(dirname "$0")/.."

# The fonts: Wine's Tahoma and MS Sans Serif, and Carlito for Calibri (metric-compatible).
build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev
                libzip-dev libexpat1-dev libpugixml-dev libgtest-dev fonts-wine fonts-crosextra-carlito)
# The LibreOffice backend is built against the office's SDK and type libraries; an office that is
# already installed (with windows or without) serves, otherwise the one without windows is added.
# The tests want the one with windows: the Calc add-on is tested in a visible Calc on a virtual
# screen (it replaces the one without windows).
office_package=libreoffice-calc-nogui
if [[ "${1:-}" == "--tests" ||
      "$(dpkg-query -W -f='${Status}' libreoffice-calc 2>/dev/null)" == "install ok installed" ]]; then
    office_package=libreoffice-calc
fi
build_packages+=(libreoffice-dev libreoffice-dev-common "$office_package")
# The tests also check the installed files and the Debian package with the tools of the system.
# The visible office runs on Xvfb; xwininfo finds the program's windows there, ImageMagick's
# import takes pictures of the screen, openbox and xcompmgr give the windows their frames.
test_packages=(python3 python3-openpyxl dbus-daemon dbus-bin
               desktop-file-utils appstream man-db dpkg-dev lintian file
               xvfb x11-utils imagemagick openbox xcompmgr)

packages=("${build_packages[@]}")
if [[ "${1:-}" == "--tests" ]]; then
    packages+=("${test_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    if [[ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]]; then
        missing+=("$p")
    fi
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    if [[ $(id -u) -ne 0 ]]; then
        command -v sudo >/dev/null || { echo "These Debian packages are needed: ${missing[*]} (run as root or install sudo)" >&2; exit 1; }
        sudo="sudo"
    fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

[[ " $* " == *" --no-build "* ]] && exit 0

build_dir="${BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DTALLYVANE_WERROR="${TALLYVANE_WERROR:-OFF}" >/dev/null
cmake --build "$build_dir" -j2
