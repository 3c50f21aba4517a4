#!/usr/bin/env bash
# Installs the build into a scratch prefix, builds the peer from the installed schema files with an
# independent schema-aware binder, and exchanges every document type with it (exchange.py).
# Exits 77 (skipped) when the binder or its parser is not installed.
# Usage: check_interop.sh BUILD_DIR GENERATOR PYTHON
set -euo pipefail
build=$1
generator=$2
python=$3
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v xsdcxx >/dev/null || [ ! -e /usr/include/xercesc/util/XercesVersion.hpp ]; then
  echo "skipped: the interop test needs xsdcxx and libxerces-c-dev"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
schemas=$prefix/share/pelagon/schemas

# The peer is built with the system compiler and no sanitizer: it is not the code under test.
env -u CXXFLAGS -u LDFLAGS cmake -S "$here/peer" -B "$scratch/peer" -G "$generator" \
  -DSCHEMA_DIR="$schemas" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-O1 >/dev/null
cmake --build "$scratch/peer" >/dev/null

mkdir "$scratch/work"
"$python" -B "$here/exchange.py" --pelagon "$prefix/bin/pelagon" --peer "$scratch/peer/peer" \
  --schemas "$schemas" --work "$scratch/work"
