#!/usr/bin/env bash
# Runs every fuzz_* target of a build for a bounded time, several at once.
#
#   tools/run-fuzz.sh BUILD [SECONDS]     (FUZZ_JOBS targets at a time, default one per core)
#
# The readers of what a network peer sends unasked or in bulk (pushes, the
# push queue they land in, service replies) run twice as long, and first.
# Each target reads its seeds from tests/fuzz/corpus/<Name>/ (left unchanged)
# and grows its own corpus in BUILD/fuzz/corpus/<Name>/, which later runs
# start from. A crash keeps its input in BUILD/fuzz/crashes/ and is printed
# whole: libFuzzer's report with the stack, then the input in hex. Exit 1
# when any target failed.
set -euo pipefail
build=$1
seconds=${2:-30}
jobs=${FUZZ_JOBS:-$(nproc)}
top=$(cd "$(dirname "$0")/.." && pwd)

# Longest input per target. The HTTP readers need room past their 8 KB line
# and 64 KB head limits; the shipped scenario program is about 15 KB; small
# pictures with their headers and tables fit in 32 KB; a full outbound queue
# of 22 entries with their summaries fits in 16 KB.
max_len() {
  case $1 in
    HttpResponse|BoundaryScanner|MimeMultipart) echo 70000 ;;
    HttpJobBody) echo 16384 ;;
    Program|ScenarioFile|XmlReader|ImageFromBuffer) echo 32768 ;;
    OutboundQueueState) echo 16384 ;;
    *) echo 8192 ;;
  esac
}

# Seconds per target: twice the rest for the network's own readers.
run_seconds() {
  case $1 in
    WspPush|WapPushQueue|VraxReplyParser|VraxReplyElements|VraxReplyPart) echo $((seconds * 2)) ;;
    *) echo "$seconds" ;;
  esac
}

shopt -s nullglob
all=("$build"/bin/fuzz_*)
targets=()
for t in "${all[@]}"; do [ "$(run_seconds "${t##*/fuzz_}")" != "$seconds" ] && targets+=("$t"); done
for t in "${all[@]}"; do [ "$(run_seconds "${t##*/fuzz_}")" = "$seconds" ] && targets+=("$t"); done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $build/bin" >&2
  exit 1
fi
out=$build/fuzz
mkdir -p "$out/corpus" "$out/crashes" "$out/logs"

# One target; its log goes to $out/logs/<Name>.log, its exit status to <Name>.status.
run_one() {
  local t=$1 name=${1##*/fuzz_} status=0
  local corpus=$out/corpus/$name seeds=$top/tests/fuzz/corpus/$name log=$out/logs/$name.log
  mkdir -p "$corpus"
  local dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  "$t" -max_total_time="$(run_seconds "$name")" -max_len="$(max_len "$name")" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/crashes/$name-" "${dirs[@]}" >"$log" 2>&1 || status=$?
  echo "$status" >"$out/logs/$name.status"
}

stamp=$out/.started
touch "$stamp"
rm -f "$out"/logs/*.status
echo "fuzz ${#targets[@]} targets for ${seconds}s each (the network's readers $((seconds * 2))s), $jobs at a time"
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_one "$t" &
done
wait

printf '%-16s %12s %8s %8s %8s\n' target executions cov ft corpus
for t in "${targets[@]}"; do
  name=${t##*/fuzz_}
  log=$out/logs/$name.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  units=$(find "$out/corpus/$name" -type f | wc -l)
  printf '%-16s %12s %8s %8s %8s\n' "$name" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$units"
done

status=0
for t in "${targets[@]}"; do
  name=${t##*/fuzz_}
  [ "$(cat "$out/logs/$name.status" 2>/dev/null)" = 0 ] && continue
  status=1
  echo
  echo "==== fuzz_$name failed; its whole report ($out/logs/$name.log):"
  cat "$out/logs/$name.log"
  for crash in $(find "$out/crashes" -name "$name-*" -newer "$stamp"); do
    echo "==== input $crash ($(stat -c %s "$crash") bytes), hex:"
    od -An -v -tx1 "$crash"
  done
done
exit $status
