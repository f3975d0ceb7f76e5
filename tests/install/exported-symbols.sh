#!/usr/bin/env bash
# Compares the dynamic symbols a shared object defines with a reviewed list.
#
#     tests/install/exported-symbols.sh LIBRARY LIST
#
# A change to the library's interface is a change to LIST; the difference is
# printed ("-" only in the list, "+" only in the library).
set -euo pipefail
library=$1
list=$2
actual=$(nm -D --defined-only "$library" | awk '{print $3}' | LC_ALL=C sort)
if ! diff -u <(LC_ALL=C sort "$list") <(echo "$actual"); then
  echo "the symbols $library exports differ from $list" >&2
  exit 1
fi
echo "$(wc -l <<<"$actual") exported symbols, as listed"
