#!/usr/bin/env bash
# ./run.sh panel   install what is missing, build, start the panel on a simulated chain
# ./run.sh test    install what is missing, build, run every test
# ./run.sh sanitize  the same with clang under ASan + UBSan in build-san/, and
#                    a bounded run of every fuzz target
set -euo pipefail
cd "$(dirname "$0")"

# xvfb and xauth: xvfb-run gives the display tests a real X server, also
# where there is no display (CI); the XTest library lets a test move the
# real pointer through that server. ser2net: the serial device server the
# end-to-end tests put between the panel and the simulated cameras.
# liblo-dev: OSC for the remote control; liblo-tools: oscsend and oscdump,
# the OSC client and listener its tests use. SDL2: game controllers (Qt has
# no gamepad module).
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgl-dev xvfb xauth libxcb-xtest0-dev ser2net
          liblo-dev liblo-tools libsdl2-dev)
# clang and its sanitizer and libFuzzer runtimes, for ./run.sh sanitize
if [ "${1:-}" = sanitize ]; then packages+=(clang libclang-rt-14-dev); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ "${1:-}" = sanitize ]; then
  # One build directory for both: the suite and the fuzz targets share the
  # instrumented libraries, so everything is compiled once. A debug build
  # keeps Qt's own index checks (QList, QByteArray) on; -O1 and line tables
  # are enough for the fuzzers' speed and the sanitizers' stack traces.
  cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
    -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTING=ON -DPELTRO_SANITIZE=ON -DPELTRO_FUZZ=ON >/dev/null
  cmake --build build-san -j "$(nproc)"
  cd build-san
  QT_QPA_PLATFORM=offscreen exec ctest --output-on-failure -j "$(nproc)"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build -j "$(nproc)"

case "${1:-}" in
  panel)
    shift
    exec build/src/app/peltro-panel --simulate "$@"
    ;;
  test)
    cd build
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
    ;;
  *)
    echo "usage: $0 panel|test|sanitize" >&2
    exit 2
    ;;
esac
