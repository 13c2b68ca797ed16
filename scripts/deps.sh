#!/bin/sh
# Installs what the suite needs to build and test on Debian (bookworm or
# later). Runs apt-get through sudo when not already root.
set -e
SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  g++ cmake ninja-build pkg-config binutils python3 \
  libgtest-dev libgmock-dev libbenchmark-dev \
  libsqlite3-dev sqlite3 libcairo2-dev libpng-dev fonts-dejavu-core \
  hamradio-files cqrlog-data clang libclang-rt-dev libssl-dev openssl inetutils-telnetd \
  qt6-base-dev xvfb x11-apps xdotool \
  python3-dbf \
  >/dev/null
# Node.js and npm run one export test against an independent ADIF reader.
# A machine may already carry a Node.js build that bundles npm and conflicts
# with Debian's npm package: keep it then.
if ! command -v npm >/dev/null 2>&1; then
  $SUDO apt-get install -y -qq --no-install-recommends nodejs npm >/dev/null
fi
