#!/usr/bin/env bash
# Configures, builds and runs the project with a schema of its own against an installed package.
# Usage: check.sh PREFIX BUILD_DIR GENERATOR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmake -S "$here" -B "$2" -G "$3" -DCMAKE_PREFIX_PATH="$1" -DCMAKE_CXX_COMPILER="${CXX:-c++}" \
  >/dev/null
cmake --build "$2" >/dev/null
libdir=$(dirname "$(find "$1" -name 'libvarnicore.so.*' | head -n 1)")
for program in stockroom stockroom_shared; do
  LD_LIBRARY_PATH=$libdir "$2/$program"
done
