#!/usr/bin/env bash
# Checks that a shared library needs no runtime symbol beyond the interface: every undefined
# dynamic symbol of the runtime's namespaces (the runtime's classes and the base schema types it
# carries) must be one of the lines of ALLOWED, with std::string and std::set<std::string>
# spelled short. Prints each one that is not.
# Usage: check_symbols.sh LIBRARY ALLOWED
set -euo pipefail
library=$1
allowed=$2
string='std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >'
set_of_strings="std::set<std::string, std::less<std::string >, std::allocator<std::string > >"
needed=$(nm -D -C --undefined-only "$library" | sed -e 's/^ *U //' -e "s/${string//\*/\\*}/std::string/g" \
  -e "s/${set_of_strings}/std::set<std::string>/g" -e 's/\[abi:cxx11\]//g' |
  grep -E 'Corvanthel::(Soa|Schemas::Soa)::' | sort -u)
if [[ -z $needed ]]; then
  echo "$library needs no runtime symbol at all: is it the library?" >&2
  exit 1
fi
outside=$(comm -23 <(echo "$needed") <(grep -v '^#' "$allowed" | sort -u))
if [[ -n $outside ]]; then
  echo "$library needs runtime symbols beyond the interface:" >&2
  echo "$outside" >&2
  exit 1
fi
echo "$(wc -l <<<"$needed") runtime symbols, all of the interface"
