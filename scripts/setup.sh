#!/usr/bin/env bash
# Installs everything Quillan's builds and its Wine tests need on Debian 12.
# Run as root. Safe to run again: when everything is present it only checks and exits.
#
# Two steps, because the package mirror can be caught mid-sync (an index fails
# to download, i386 libraries lag the amd64 security versions): first
# everything the native tree, both MinGW trees and 64-bit Wine need; then, only
# where this machine runs 32-bit programs, 32-bit Wine. When the second step
# fails the tests still run in the 64-bit tree, and this script says so.
set -euo pipefail

base=(
  cmake g++ make pkg-config libgtest-dev libjpeg62-turbo-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  nasm dpkg-dev
  wine wine64 xvfb xdotool imagemagick file procps
)
wine32=(wine32:i386)
# Where a failed try to install 32-bit Wine is remembered, with apt's reason.
wine32_failed=/var/lib/quillan-setup/wine32-failed

say() { echo "setup: $*" >&2; }
installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" = "install ok installed" ]; }
missing_of() { local p; for p in "$@"; do installed "$p" || echo "$p"; done; }

# deb-src entries copied from the machine's own deb entries, so apt-get source
# uses whatever mirror this machine already trusts.
src_file=/etc/apt/sources.list.d/quillan-deb-src.sources
src_list=/etc/apt/sources.list.d/quillan-deb-src.list
need_src=0
[ -f "$src_file" ] || [ -f "$src_list" ] || need_src=1

# A kernel without IA-32 emulation cannot run 32-bit Wine; a three-instruction
# 32-bit program tells, before anything 32-bit is installed.
runs_32bit_programs() {
  local dir rc=1
  dir=$(mktemp -d)
  printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$dir/probe.s"
  if as --32 -o "$dir/probe.o" "$dir/probe.s" 2>/dev/null &&
     ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>/dev/null &&
     "$dir/probe" 2>/dev/null; then
    rc=0
  fi
  rm -rf "$dir"
  return $rc
}

want32=1
if [ "${QUILLAN_WINE32:-}" = 0 ]; then
  want32=0
elif command -v as >/dev/null && command -v ld >/dev/null && ! runs_32bit_programs; then
  want32=0
fi

mapfile -t missing < <(missing_of "${base[@]}")
missing32=()
[ "$want32" = 1 ] && mapfile -t missing32 < <(missing_of "${wine32[@]}")

if [ "$need_src" = 0 ] && [ "${#missing[@]}" = 0 ] && [ "${#missing32[@]}" = 0 ]; then
  exit 0
fi

if [ "$(id -u)" != 0 ]; then
  say "run as root to install: ${missing[*]} ${missing32[*]}"
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive

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

# A mirror in the middle of a sync fails one index or another for a while:
# try again after a pause, then go on with the lists apt has.
update_lists() {
  local try out=
  for try in 1 2 3; do
    if out=$(apt-get update 2>&1) && ! grep -qE '^(E|W): (Failed to fetch|Some index files)' <<<"$out"; then
      return 0
    fi
    [ "$try" = 3 ] || sleep $((try * 5))
  done
  # Name the index by its place in the archive, not by the mirror it came from.
  local failed
  failed=$(grep -oE '^(E|W): Failed to fetch [^ ]+' <<<"$out" | sed -E 's#.*/dists/##; s#^.*Failed to fetch ##' |
           sort -u | paste -sd ' ' -)
  say "apt-get update failed for ${failed:-some index} three times; going on with the package lists there are"
}

# Installs what it can; prints the packages that could not be installed.
install_packages() {
  [ "$#" = 0 ] && return 0
  apt-get install -y -qq --no-install-recommends "$@" >/tmp/quillan-setup-install.log 2>&1 && return 0
  # Together they failed: find which ones apt really cannot install.
  local p
  for p in "$@"; do
    apt-get install -y -qq --no-install-recommends "$p" >>/tmp/quillan-setup-install.log 2>&1 || echo "$p"
  done
}

updated=0
if [ "$need_src" = 1 ] || [ "${#missing[@]}" != 0 ]; then
  update_lists
  updated=1
  mapfile -t failed < <(install_packages "${missing[@]}")
  if [ "${#failed[@]}" != 0 ]; then
    say "could not install ${failed[*]} (apt's words are in /tmp/quillan-setup-install.log)"
    exit 1
  fi
fi

# Step two, on a machine that runs 32-bit programs (checked now, since the
# probe's assembler may have come with step one).
if [ "$want32" = 0 ] || ! runs_32bit_programs; then
  exit 0
fi
mapfile -t missing32 < <(missing_of "${wine32[@]}")
[ "${#missing32[@]}" = 0 ] && { rm -f "$wine32_failed"; exit 0; }
# A mirror in mid-sync stays so for a while: after a failed try, wait an hour
# before the next one, but say every time that 32-bit Wine is missing.
if [ -n "$(find "$wine32_failed" -mmin -60 2>/dev/null)" ]; then
  next=$(date -d "@$(( $(stat -c %Y "$wine32_failed") + 3600 ))" '+%H:%M')
  say "32-bit Wine (${missing32[*]}) is still not installed ($(cat "$wine32_failed"); set-up tries again after $next); the tests and the demo use the 64-bit builds under 64-bit Wine"
  exit 0
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  updated=0
fi
[ "$updated" = 1 ] || update_lists
mapfile -t failed < <(install_packages "${missing32[@]}")
if [ "${#failed[@]}" != 0 ]; then
  reason=$(grep -m1 -E '^E: ' /tmp/quillan-setup-install.log | cut -c4- || true)
  reason="${reason:-see /tmp/quillan-setup-install.log}"
  mkdir -p "$(dirname "$wine32_failed")"
  echo "could not be installed at $(date '+%H:%M'): $reason" >"$wine32_failed"
  say "32-bit Wine (${failed[*]}) could not be installed ($reason); the tests and the demo use the 64-bit builds under 64-bit Wine"
else
  rm -f "$wine32_failed"
fi
exit 0
