# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/run and scripts/test: the Debian packages Snipola needs to
# build and test, and a function that installs the missing ones.
SNIPOLA_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  libsdl2-dev libmpg123-dev libmp3lame-dev libtag1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-liberation fonts-dejavu-core
  # scripts/check-install and cpack: validators, man, shlibdeps, file types,
  # the package checker
  desktop-file-utils appstream man-db groff-base dpkg-dev file lintian
  # scripts/check-accessibility: a private X server, D-Bus session and AT-SPI
  xvfb dbus-daemon at-spi2-core python3-pyatspi
)

snipola_install_packages() {
  local missing=()
  local p
  for p in "${SNIPOLA_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || {
      echo "apt-get install failed" >&2
      return 1
    }
  else
    echo "Snipola needs these Debian packages. Install them with:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    return 1
  fi
}
