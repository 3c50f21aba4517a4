#!/usr/bin/env bash
# Builds the Debian packages with cpack, unpacks them into a scratch root (dpkg-deb -x), checks
# what each holds and what it depends on, then builds and runs the consumer project and the project
# with a schema of its own against the unpacked files and runs the unpacked tool on an example
# message.
# Usage: check_packages.sh BUILD_DIR GENERATOR EXAMPLE_MESSAGE
# Exit status 77 (skipped) where dpkg-deb is missing.
set -euo pipefail
build=$1
generator=$2
example=$3
if ! command -v dpkg-deb >/dev/null; then
  echo "dpkg-deb is not installed: no Debian packages to check"
  exit 77
fi
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/packages" >/dev/null
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
major=${version%%.*}
arch=$(dpkg --print-architecture)
runtime=$scratch/packages/libpelagon${major}_${version}_${arch}.deb
development=$scratch/packages/libpelagon-dev_${version}_${arch}.deb
tool=$scratch/packages/pelagon_${version}_${arch}.deb

fail() {
  echo "$*" >&2
  exit 1
}
# expect_file PACKAGE PATTERN: the package holds a file matching the extended regex PATTERN.
expect_file() {
  local listing
  listing=$(dpkg-deb -c "$1" | awk '{print $6}')
  grep -Eq "$2" <<<"$listing" || fail "$(basename "$1") lacks $2"
}
expect_file "$runtime" '^\./usr/lib/.*libpelagon\.so\.[0-9.]+$'
expect_file "$runtime" '^\./usr/lib/.*libvarnicore\.so\.[0-9.]+$'
expect_file "$development" '^\./usr/include/pelagon/pelagon\.hxx$'
expect_file "$development" '^\./usr/include/varnicore/XMLDocument\.hxx$'
expect_file "$development" '^\./usr/share/pelagon/schemas/query/2006_03/savedquery/SavedQuery\.xsd$'
expect_file "$development" '^\./usr/lib/.*cmake/pelagon/pelagonConfig\.cmake$'
expect_file "$development" '^\./usr/lib/.*pkgconfig/pelagon\.pc$'
expect_file "$development" '^\./usr/lib/.*cmake/pelagon/PelagonSchemas\.cmake$'
expect_file "$development" '^\./usr/share/pelagon/compiler/pelagon_xsdc/__main__\.py$'
expect_file "$development" '^\./usr/bin/pelagon-xsdc$'
[[ $(dpkg-deb -f "$development" Depends) == *python3* ]] ||
  fail "$(basename "$development") does not depend on python3"
expect_file "$tool" '^\./usr/bin/pelagon$'
for package in "$development" "$tool"; do
  depends=$(dpkg-deb -f "$package" Depends)
  [[ $depends == *"libpelagon${major} (= ${version})"* ]] ||
    fail "$(basename "$package") does not depend on libpelagon${major} ${version}: $depends"
done
if [[ $(dpkg-deb -c "$runtime") == */include/* ]]; then
  fail "the runtime package holds headers"
fi

for package in "$runtime" "$development" "$tool"; do
  dpkg-deb -x "$package" "$root"
done

cmake -S "$here/consumer" -B "$scratch/cmake" -G "$generator" -DCMAKE_PREFIX_PATH="$root/usr" \
  -DCMAKE_CXX_COMPILER="${CXX:-c++}" >/dev/null
cmake --build "$scratch/cmake" >/dev/null
libdir=$(dirname "$(find "$root/usr/lib" -name 'libpelagon.so.*' | head -n 1)")
LD_LIBRARY_PATH=$libdir "$scratch/cmake/consumer" >"$scratch/request.xml"
xmllint --noout --schema "$(cat "$scratch/cmake/schema_dir.txt")/query/2006_03/savedquery/SavedQuery.xsd" \
  "$scratch/request.xml" 2>/dev/null

"$here/own_schema/check.sh" "$root/usr" "$scratch/own" "$generator"

report=$("$root/usr/bin/pelagon" check "$example")
case $report in
  "$example: ok: "*) ;;
  *) fail "the packaged tool reported: $report" ;;
esac
echo "packages libpelagon${major}, libpelagon-dev and pelagon install and work"
