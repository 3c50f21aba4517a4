#!/usr/bin/env bash
# Installs the build into a scratch prefix, then builds and runs a consumer against it twice: as a
# CMake project (find_package) and through pkg-config. The consumer's output must pass xmllint
# against the installed schema files.
# Usage: check_install.sh BUILD_DIR GENERATOR
set -euo pipefail
build=$1
generator=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

cmake -S "$here/consumer" -B "$scratch/cmake" -G "$generator" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="${CXX:-c++}" >/dev/null
cmake --build "$scratch/cmake" >/dev/null
"$scratch/cmake/runtime_consumer"
"$scratch/cmake/consumer" >"$scratch/request.xml"
schema_dir=$(cat "$scratch/cmake/schema_dir.txt")
xmllint --noout --schema "$schema_dir/query/2006_03/savedquery/SavedQuery.xsd" "$scratch/request.xml"

libdir=$(dirname "$(find "$prefix" -name pelagon.pc)")
PKG_CONFIG_PATH=$libdir make -s -C "$here" -f Makefile.pkgconfig OUT="$scratch"
LD_LIBRARY_PATH=$(dirname "$libdir") "$scratch/consumer" >/dev/null
echo "installed package works with find_package and pkg-config"
