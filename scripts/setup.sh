#!/usr/bin/env bash
# Installs everything Quillan's two builds and its Wine tests need on Debian 12.
# Run as root. Safe to run again: when everything is present it only checks and exits.
set -euo pipefail

packages=(
  cmake g++ make pkg-config libgtest-dev libjpeg62-turbo-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  nasm dpkg-dev
  wine wine32:i386 wine64 xvfb xdotool imagemagick file procps
)

need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1

# deb-src entries copied from the machine's own deb entries, so apt-get source
# uses whatever mirror this machine already trusts.
src_file=/etc/apt/sources.list.d/quillan-deb-src.sources
src_list=/etc/apt/sources.list.d/quillan-deb-src.list
need_src=0
[ -f "$src_file" ] || [ -f "$src_list" ] || need_src=1

missing=()
for p in "${packages[@]}"; do
  st=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$st" = "install ok installed" ] || missing+=("$p")
done

if [ "$need_i386" = 0 ] && [ "$need_src" = 0 ] && [ "${#missing[@]}" = 0 ]; then
  exit 0
fi

if [ "$(id -u)" != 0 ]; then
  echo "setup: run as root to install: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
[ "$need_i386" = 1 ] && dpkg --add-architecture i386

if [ "$need_src" = 1 ]; then
  if ls /etc/apt/sources.list.d/*.sources >/dev/null 2>&1; then
    # deb822 stanzas: keep those whose Types include deb, retype them.
    awk 'BEGIN{RS=""; ORS="\n\n"} /(^|\n)Types:([^\n]*[ \t])?deb([ \t\n]|$)/ {
           sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
      /etc/apt/sources.list.d/*.sources > "$src_file.tmp"
    if [ -s "$src_file.tmp" ]; then mv "$src_file.tmp" "$src_file"; else rm -f "$src_file.tmp"; fi
  fi
  if [ ! -f "$src_file" ] && [ -f /etc/apt/sources.list ]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list > "$src_list"
  fi
fi

apt-get update -qq
if [ "${#missing[@]}" != 0 ] || [ "$need_i386" = 1 ]; then
  apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi
