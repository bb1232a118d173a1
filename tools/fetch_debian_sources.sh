#!/usr/bin/env bash
# Fetches and unpacks Debian source packages (of bookworm) into a folder: the
# libraries the Windows and WebAssembly builds compile themselves
# (tools/fetch_windows_deps.sh, tools/fetch_web_deps.sh).
#
# The system's apt configuration is never changed: the configured package
# sources are copied into a private folder as "deb-src" entries, and apt runs
# with its own source list, package lists and cache there.
#
# Usage: tools/fetch_debian_sources.sh NAME DEPS_DIR PACKAGE...
#   NAME prefixes the messages.
# Result: DEPS_DIR/PACKAGE for each package, the unpacked source tree (with
# Debian's patches applied). Running it again does nothing once every tree is
# unpacked.
set -euo pipefail

if (($# < 3)); then
  echo "usage: $0 NAME DEPS_DIR PACKAGE..." >&2
  exit 2
fi
name=$1
deps=$2
shift 2
packages=("$@")
mkdir -p "$deps"
deps=$(cd "$deps" && pwd)
suite=bookworm

all_unpacked() {
  local p
  for p in "${packages[@]}"; do
    [[ -f "$deps/$p/.unpacked" ]] || return 1
  done
}

if all_unpacked; then
  echo "$name: ${packages[*]} sources already in $deps"
  exit 0
fi

for tool in apt-get dpkg-source; do
  if ! command -v "$tool" >/dev/null; then
    echo "$name: $tool is missing (install dpkg-dev)" >&2
    exit 1
  fi
done

apt_dir=$deps/apt
rm -rf "$apt_dir"
mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"

# Source entries: every deb822 source file, with its types turned into deb-src;
# one-line "deb ..." entries are turned into "deb-src ..." lines.
shopt -s nullglob
count=0
for f in /etc/apt/sources.list.d/*.sources; do
  sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources/$(basename "$f")"
  count=$((count + 1))
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [[ -f "$f" ]] || continue
  out=$apt_dir/sources/$(basename "$f" .list)-src.list
  sed -nE 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$f" >"$out"
  if [[ -s "$out" ]]; then count=$((count + 1)); else rm -f "$out"; fi
done
shopt -u nullglob
if ((count == 0)); then
  echo "$name: no apt sources found under /etc/apt" >&2
  exit 1
fi

apt_options=(
  -o "Dir::Etc::SourceList=/dev/null"
  -o "Dir::Etc::SourceParts=$apt_dir/sources"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Dir::Cache::pkgcache="
  -o "Dir::Cache::srcpkgcache="
  -o "APT::Sandbox::User=root"
  -o "Acquire::Retries=3"
)

echo "$name: reading source indexes"
# Output is kept in memory and shown only on failure.
if ! out=$(apt-get -q "${apt_options[@]}" update 2>&1); then
  printf '%s\n' "$out" >&2
  exit 1
fi

download=$deps/download
mkdir -p "$download"
for p in "${packages[@]}"; do
  [[ -f "$deps/$p/.unpacked" ]] && continue
  echo "$name: fetching $p/$suite"
  if ! out=$(cd "$download" && apt-get -q "${apt_options[@]}" source --download-only "$p/$suite" 2>&1); then
    printf '%s\n' "$out" >&2
    exit 1
  fi
  dsc=$(ls -1 "$download/${p}_"*.dsc | sort -V | tail -n 1)
  rm -rf "$deps/$p" "$deps/$p.tmp"
  # apt has checked the files against the signed archive index; dpkg-source
  # checks them against the .dsc again while unpacking.
  if ! out=$(dpkg-source -x "$dsc" "$deps/$p.tmp" 2>&1); then
    printf '%s\n' "$out" >&2
    exit 1
  fi
  rm -f "$deps/${p}_"*.orig*.tar.*  # dpkg-source leaves copies beside the tree
  basename "$dsc" >"$deps/$p.tmp/.unpacked"
  mv "$deps/$p.tmp" "$deps/$p"
done

rm -rf "$apt_dir"
echo "$name: sources ready in $deps"
