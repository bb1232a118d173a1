#!/usr/bin/env bash
# Installs those of the given Debian packages that are missing, with apt-get;
# quick when all are installed already. Needs root only when one is missing.
#
# Usage: tools/install_packages.sh [--no-recommends] PACKAGE...
#   --no-recommends  install what the packages depend on, not what they
#                    recommend (for the lean set-up of the command alone)
set -euo pipefail
apt_options=()
if [[ "${1:-}" == "--no-recommends" ]]; then apt_options+=(--no-install-recommends); shift; fi
missing=()
for package in "$@"; do
  [[ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" == "install ok installed" ]] \
    || missing+=("$package")
done
if [[ ${#missing[@]} -eq 0 ]]; then echo "packages: all installed"; exit 0; fi
if [[ $(id -u) -ne 0 ]]; then echo "packages: missing ${missing[*]}; run as root" >&2; exit 1; fi
echo "packages: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q "${apt_options[@]}" "${missing[@]}"
