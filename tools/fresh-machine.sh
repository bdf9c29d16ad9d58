#!/usr/bin/env bash
# Checks that the README's two commands pass on a fresh machine: makes a
# minimal Debian 12 root with debootstrap, installs only git in it, clones
# the project and runs, as root in the chroot,
#     tools/install-deps.sh && make run     (in tmux; its message or first
#                                            screen is shown, then Ctrl-C)
#     tools/install-deps.sh && make test    (with CI=true, so a test that
#                                            would skip for a missing tool fails)
# make test runs in a network namespace of its own, with only its loopback:
# the packages are in by then, and its peers meet nothing of the host's.
# It prints the wall time of each step and every failure (failing test
# names), and exits 1 when anything failed. When both passed it writes
# tools/fresh-machine.stamp beside itself: the sha256 of the clone's
# tools/deps.d/*, tools/install-deps.sh, Makefile and README.md, the date,
# the wall time and the commit; make test fails (tools/check-fresh-stamp.py)
# once those files differ from the stamp's. Whatever happens, even on
# Ctrl-C, it leaves no process running in the root and nothing mounted.
#
# Usage: tools/fresh-machine.sh [--dir DIR] [--keep] [--ref REF] [--mirror URL] [--jobs N] [SOURCE]
#   SOURCE    a git repository path (default: the one holding this script)
#             or a URL; the path's REF (default main) is what is cloned
#   --dir     make the root in DIR (new or empty; kept afterwards); the
#             default is a temporary folder under /var/tmp, removed at the end
#   --keep    keep the temporary root
#   --jobs N  build with N jobs and run 3 N tests at once (make's JOBS;
#             the default is every core the machine lets it use)
# Run it as root on Debian with debootstrap and tmux (tools/deps.d lists both).
set -euo pipefail

usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 2; }

here=$(cd "$(dirname "$0")" && pwd)
source=""
ref=main
dir=""
keep=0
mirror=http://deb.debian.org/debian
jobs=""
while [ $# -gt 0 ]; do
  case $1 in
    --dir) dir=${2:?--dir needs a folder}; keep=1; shift 2 ;;
    --keep) keep=1; shift ;;
    --ref) ref=${2:?--ref needs a name}; shift 2 ;;
    --mirror) mirror=${2:?--mirror needs a URL}; shift 2 ;;
    --jobs) jobs=${2:?--jobs needs a number}; shift 2 ;;
    -h|--help) usage ;;
    -*) echo "unknown option $1" >&2; usage ;;
    *) [ -z "$source" ] || usage; source=$1; shift ;;
  esac
done
[ -n "$source" ] || source=$(git -C "$here" rev-parse --show-toplevel)
[ "$(id -u)" -eq 0 ] || { echo "fresh-machine: run as root (debootstrap and chroot need it)" >&2; exit 2; }
[[ -z "$jobs" || "$jobs" =~ ^[1-9][0-9]*$ ]] || { echo "fresh-machine: --jobs takes a count" >&2; exit 2; }
for tool in debootstrap tmux git chroot mount unshare ip python3; do
  command -v "$tool" >/dev/null || { echo "fresh-machine: $tool is missing (tools/install-deps.sh)" >&2; exit 2; }
done

if [ -n "$dir" ]; then
  mkdir -p "$dir"
  [ -z "$(ls -A "$dir")" ] || { echo "fresh-machine: $dir is not empty" >&2; exit 2; }
  work=$(cd "$dir" && pwd)
else
  work=$(mktemp -d /var/tmp/tessel-fresh.XXXXXX)
fi
root=$work/root
logs=$work/logs
mkdir -p "$root" "$logs"
project=/root/tessel
tmux_socket=tessel-fresh-$$
mounted=()
failures=()
times=()
started=$(date +%s)

# Processes whose root is the chroot: the fresh machine's, whatever started them.
chroot_pids() {
  local link pid
  for link in /proc/[0-9]*/root; do
    pid=${link#/proc/}; pid=${pid%/root}
    [[ $link -ef $root ]] && echo "$pid"
  done
  return 0
}

# Mount points at or under the root, deepest first.
mounts_under_root() {
  awk -v r="$root" '$5 == r || index($5, r "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}

cleaned=0
finished=0
cleanup() {
  [ "$cleaned" -eq 0 ] || return 0
  cleaned=1
  trap '' INT TERM
  tmux -L "$tmux_socket" kill-server 2>/dev/null || true
  local pids signal i
  for signal in TERM KILL; do
    pids=$(chroot_pids)
    [ -n "$pids" ] || break
    # shellcheck disable=SC2086
    kill -s "$signal" $pids 2>/dev/null || true
    for i in $(seq 1 50); do
      [ -z "$(chroot_pids)" ] && break
      sleep 0.1
    done
  done
  [ -z "$(chroot_pids)" ] || echo "fresh-machine: processes still in the root: $(chroot_pids | tr '\n' ' ')" >&2
  for (( i = ${#mounted[@]} - 1; i >= 0; i-- )); do
    umount "${mounted[$i]}" 2>/dev/null || umount -l "${mounted[$i]}" 2>/dev/null || true
  done
  local left
  for left in $(mounts_under_root); do
    umount "$left" 2>/dev/null || umount -l "$left" 2>/dev/null || true
  done
  if [ -n "$(mounts_under_root)" ]; then
    echo "fresh-machine: still mounted, the root is kept: $(mounts_under_root | tr '\n' ' ')" >&2
  elif [ "$keep" -eq 0 ] && [ ${#failures[@]} -eq 0 ] && [ "$finished" -eq 1 ]; then
    rm -rf --one-file-system "$work"
  elif [ "$keep" -eq 0 ]; then
    rm -rf --one-file-system "$root"
    echo "fresh-machine: logs kept in $logs" >&2
  fi
}
trap cleanup EXIT
trap 'echo "fresh-machine: interrupted" >&2; cleanup; exit 130' INT TERM

seconds() { local s=$1; printf '%dm%02ds' $((s / 60)) $((s % 60)); }

# step NAME COMMAND...: runs the command with its output in logs/NAME.log,
# prints its wall time, and records a failure.
step() {
  local name=$1 begin status=0
  shift
  begin=$(date +%s)
  echo "== $name"
  "$@" >"$logs/$name.log" 2>&1 || status=$?
  local took=$(( $(date +%s) - begin ))
  times+=("$(printf '%-12s %s' "$name" "$(seconds $took)")")
  if [ "$status" -eq 0 ]; then
    echo "   ok in $(seconds $took)"
  else
    echo "   FAILED (exit $status) in $(seconds $took); the log's end ($logs/$name.log):"
    tail -n 25 "$logs/$name.log" | sed 's/^/   | /'
    failures+=("$name")
  fi
  return "$status"
}

mount_in_root() {
  local target=$root$1
  shift
  mkdir -p "$target" && mount "$@" "$target" && mounted+=("$target")
}

# The environment of a newly logged-in root (and make's JOBS when given).
login_env=(HOME=/root TERM=xterm-256color LANG=C.UTF-8
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin ${jobs:+JOBS=$jobs})

# A command in the root as a newly logged-in root would run it.
in_root() {
  chroot "$root" /usr/bin/env -i "${login_env[@]}" "$@"
}

make_root() {
  debootstrap --variant=minbase bookworm "$root" "$mirror"
}

# Steps run where errexit does not reach, so each command says its failure.
mount_root() {
  mount_in_root /proc -t proc proc || return
  mount_in_root /sys -t sysfs sysfs || return
  mount_in_root /dev --bind /dev || return
  mount_in_root /dev/pts --bind /dev/pts || return
  mount_in_root /dev/shm -t tmpfs tmpfs || return
  cp /etc/resolv.conf "$root/etc/resolv.conf"
}

install_git() {
  local extra=()
  case $source in https://*) extra=(ca-certificates) ;; esac
  in_root apt-get update || return
  in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends git "${extra[@]}"
}

clone() {
  case $source in
    *://*|*@*:*) in_root git clone --branch "$ref" "$source" "$project" ;;
    *)
      # The committed REF of the given repository, through a bundle, so
      # nothing of the host is visible in the root.
      git -C "$source" rev-parse --verify --quiet "$ref^{commit}" >/dev/null \
        || { echo "no $ref in $source"; return 1; }
      echo "$ref is $(git -C "$source" log -1 --format='%h %s' "$ref")"
      git -C "$source" bundle create "$root/root/tessel.bundle" "$ref" || return
      in_root git clone --branch "$ref" /root/tessel.bundle "$project" || return
      rm -f "$root/root/tessel.bundle"
      ;;
  esac
}

# The run line in tmux: done when the line ends (its message) or when a
# tessel program has shown a screen that stays still; that screen is kept
# and Ctrl-C ends the program. The shell around the line traps SIGINT, so that
# it outlives a make that Ctrl-C ends and records make's status.
run_in_tmux() {
  rm -f "$root/root/run.status"
  tmux -L "$tmux_socket" new-session -d -s fresh -x 100 -y 40 \
    "chroot '$root' /usr/bin/env -i ${login_env[*]} \
       bash -c 'trap : INT; cd $project && { tools/install-deps.sh && make run; }; echo \$? >/root/run.status; sleep 600'" \
    || return
  tmux -L "$tmux_socket" pipe-pane -t fresh "cat >>'$logs/run-pane.log'"
  run_watch
  local status=$?
  tmux -L "$tmux_socket" kill-server 2>/dev/null
  return $status
}

run_watch() {
  local status_file=$root/root/run.status screen=$logs/run-screen.txt
  local limit=$(( $(date +%s) + 5400 )) last="" same=0 program=0 now pid
  while [ "$(date +%s)" -lt "$limit" ]; do
    sleep 1
    [ -s "$status_file" ] && break
    program=0
    for pid in $(chroot_pids); do
      case $(readlink "/proc/$pid/exe" 2>/dev/null) in */build/bin/tessel) program=1 ;; esac
    done
    now=$(tmux -L "$tmux_socket" capture-pane -p -t fresh 2>/dev/null || true)
    if [ "$program" -eq 1 ] && [ "$now" = "$last" ]; then
      same=$((same + 1))
    else
      same=0
    fi
    last=$now
    if [ "$same" -ge 3 ]; then
      echo "first screen of tessel:"
      tmux -L "$tmux_socket" capture-pane -p -t fresh | tee "$screen"
      tmux -L "$tmux_socket" send-keys -t fresh C-c
      for _ in $(seq 1 30); do [ -s "$status_file" ] && break; sleep 1; done
      [ -s "$status_file" ] || { echo "tessel did not end on Ctrl-C"; return 1; }
      echo "ended on Ctrl-C with $(cat "$status_file")"
      return 0
    fi
  done
  [ -s "$status_file" ] || { echo "make run neither ended nor showed a screen in time"; return 1; }
  tmux -L "$tmux_socket" capture-pane -p -t fresh >"$screen"
  echo "make run ended with $(cat "$status_file"); its last lines:"
  sed -e :a -e '/^\n*$/{$d;N;ba' -e '}' "$screen" | tail -n 15
  return "$(cat "$status_file")"
}

# In a network namespace of its own with its loopback up; the check of the
# stamp reads the one this run writes.
run_tests() {
  unshare --net -- bash -c 'ip link set lo up && exec "$@"' in-namespace \
    chroot "$root" /usr/bin/env -i "${login_env[@]}" CI=true TESSEL_FRESH_STAMP=/root/fresh-machine.stamp \
    bash -c "cd $project && tools/install-deps.sh && make test"
}

# write_stamp FILE PASSED WALL: the stamp of the clone's files.
write_stamp() {
  {
    echo "# Written by tools/fresh-machine.sh: the README's two commands on a fresh Debian 12"
    echo "# root. make test checks (tools/check-fresh-stamp.py) that these files are unchanged."
    echo "date $(date -u -d "@$started" '+%Y-%m-%d %H:%M UTC')"
    echo "wall $3"
    echo "passed $2"
    echo "commit $(git -C "$root$project" rev-parse HEAD)"
    python3 "$here/check-fresh-stamp.py" --sums "$root$project"
  } >"$1.new" && mv "$1.new" "$1"
}

echo "fresh machine in $work (source $source, $ref)"
step debootstrap make_root || exit 1
step mounts mount_root || exit 1
step git install_git || exit 1
step clone clone || exit 1
if step run run_in_tmux; then
  sed -n '/^first screen of tessel:/,$p; /^make run ended with/,$p' "$logs/run.log" | sed 's/^/   | /'
fi
write_stamp "$root/root/fresh-machine.stamp" running running
step test run_tests || true
if grep -q "tests FAILED" "$logs/test.log"; then
  echo "   failing tests:"
  sed -n '/The following tests FAILED:/,/^Errors while running/p' "$logs/test.log" | sed -n 's/^[[:space:]]*[0-9]* - /   - /p'
fi
grep -E "tests passed|tests failed" "$logs/test.log" | tail -n 1 | sed 's/^/   /' || true

finished=1
echo "wall times:"
printf '   %s\n' "${times[@]}"
echo "   total        $(seconds $(( $(date +%s) - started )))"
if [ ${#failures[@]} -ne 0 ]; then
  echo "FAILED: ${failures[*]} (logs in $logs$( [ "$keep" -eq 1 ] || echo ', removed at exit; --keep keeps them'))"
  exit 1
fi
write_stamp "$here/fresh-machine.stamp" yes "$(seconds $(( $(date +%s) - started )))"
echo "passed; $here/fresh-machine.stamp written for $(git -C "$root$project" rev-parse --short HEAD)"
