#!/usr/bin/env bash
# Runs every fuzz_* target of a build for a bounded time on its seed corpus
# (tests/fuzz/corpus/<Name>/, copied so the checked-in seeds stay unchanged).
set -euo pipefail
build=$1
seconds=${2:-30}
top=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
targets=("$build"/bin/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets"
  exit 0
fi
for t in "${targets[@]}"; do
  name=${t##*/fuzz_}
  work=$(mktemp -d)
  [ -d "$top/tests/fuzz/corpus/$name" ] && cp -r "$top/tests/fuzz/corpus/$name/." "$work/"
  echo "fuzz $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$work" 2>&1 | tail -n 12
  rm -rf "$work"
done
