#!/usr/bin/env bash
# Installs everything the builds and tests need from Debian's archive.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3 dpkg-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 nsis xvfb imagemagick fonts-wqy-microhei x11-utils
  googletest libpugixml-dev libstb-dev libbenchmark-dev libspdlog-dev clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

enable_deb_src() {
  local f=/etc/apt/sources.list.d/debian.sources
  if [ -f "$f" ] && ! grep -q 'deb-src' "$f"; then
    "${sudo_cmd[@]}" sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
    return 0
  fi
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | "${sudo_cmd[@]}" tee -a /etc/apt/sources.list >/dev/null
    return 0
  fi
  return 1
}

need_update=0
enable_deb_src && need_update=1
[ ${#missing[@]} -gt 0 ] && need_update=1

# pugixml sources, compiled into the MinGW builds (Debian ships only a Linux library).
root=$(cd "$(dirname "$0")/.." && pwd)
third=$root/out/third_party
pugixml_src=$(ls -d "$third"/pugixml-*/src 2>/dev/null | head -n 1 || true)
[ -n "$pugixml_src" ] || need_update=1

if [ $need_update -eq 1 ]; then
  echo "setup: updating package lists"
  "${sudo_cmd[@]}" apt-get update -qq
fi
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
ln -sfn "$(dirname "$pugixml_src")" "$third/pugixml"
