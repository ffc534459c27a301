#!/usr/bin/env bash
# Installs everything the builds and tests need from Debian's archive, says
# whether this machine can run 32-bit code (tools/probe-32bit) and, where it
# can, makes the WoW64 Wine tree that runs the 32-bit build (tools/wine-wow64).
# When everything is there it does nothing at all (and needs no rights);
# otherwise it says what is missing and installs it, as root (through sudo
# when it is not root).
set -euo pipefail

packages=(
  cmake ninja-build g++ python3 dpkg-dev ccache
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 nsis xvfb imagemagick fonts-wqy-microhei x11-utils procps curl openssl osslsigncode locales
  googletest libpugixml-dev libstb-dev libbenchmark-dev libspdlog-dev clang libclang-rt-14-dev
)

# The Chinese locales that the installer's page tests run Wine in, made from
# the locales package's sources into the project's own folder (no system
# locale is generated or changed).
make_locales() {
  local name
  mkdir -p "$root/out/locale"
  for name in zh_CN zh_TW; do
    [ -d "$root/out/locale/$name.UTF-8" ] || localedef -i "$name" -f UTF-8 "$root/out/locale/$name.UTF-8" 2>/dev/null ||
      [ -d "$root/out/locale/$name.UTF-8" ] || { echo "setup: cannot make the locale $name.UTF-8" >&2; exit 1; }
  done
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# pugixml sources, compiled into the MinGW builds (Debian ships only a Linux library).
root=$(cd "$(dirname "$0")/.." && pwd)
third=$root/out/third_party
pugixml_src=$(ls -d "$third"/pugixml-*/src 2>/dev/null | head -n 1 || true)

# What follows the packages, whether they were there or not: the pugixml
# link, the probe's line, the WoW64 tree where 32-bit code can run (it is
# 550 MB of libraries that could run nothing elsewhere; a probe that could
# not tell gets it, so that the tier is tried rather than skipped), the locales.
finish() {
  ln -sfn "$(dirname "$pugixml_src")" "$third/pugixml"
  local code=0
  "$root/tools/probe-32bit" || code=$?
  if [ "$code" -ne 1 ]; then
    "$root/tools/wine-wow64"
  else
    echo "setup: no WoW64 Wine tree: the 32-bit build is built and checked here, its Windows tests are not run"
  fi
  make_locales
}

if [ ${#missing[@]} -eq 0 ] && [ -n "$pugixml_src" ]; then
  finish
  exit 0
fi

[ ${#missing[@]} -eq 0 ] || echo "setup: missing packages: ${missing[*]}"
[ -n "$pugixml_src" ] || echo "setup: missing the pugixml source package"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: installing needs root (or sudo)" >&2; exit 1; }
  sudo_cmd=(sudo)
fi

# Source packages need deb-src entries beside the binary ones.
enable_deb_src() {
  local f=/etc/apt/sources.list.d/debian.sources
  if [ -f "$f" ] && ! grep -q 'deb-src' "$f"; then
    "${sudo_cmd[@]}" sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
  fi
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | "${sudo_cmd[@]}" tee -a /etc/apt/sources.list >/dev/null
  fi
}
[ -n "$pugixml_src" ] || enable_deb_src

echo "setup: updating package lists"
"${sudo_cmd[@]}" apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if [ -z "$pugixml_src" ]; then
  echo "setup: fetching the pugixml source package"
  mkdir -p "$third"
  (cd "$third" && apt-get source -qq -o APT::Sandbox::User=root --download-only pugixml >/dev/null && dpkg-source -x --no-check pugixml_*.dsc >/dev/null)
  pugixml_src=$(ls -d "$third"/pugixml-*/src | head -n 1)
fi
finish
