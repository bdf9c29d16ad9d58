#!/usr/bin/env bash
# make run: the phone on a demo device root, with the test peers of
# tests/peers on 127.0.0.1: the MMS relay, the service server (in its demo
# mode, replying to each request by its kind, for as long as it runs) and a
# squid as the carrier's proxy when squid is installed. Every peer ends when
# tessel ends.
#
#   tools/run-demo.sh BUILD [tessel options]
#
# The root is BUILD/demo-root (TESSEL_DEMO_ROOT to choose another); it keeps
# what tessel stored between runs. device.conf, the ClientConfig settings
# and the start screen's shortcuts are written afresh each time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: tools/run-demo.sh BUILD [tessel options]}" && pwd)
shift
root=${TESSEL_DEMO_ROOT:-$build/demo-root}
python=${TESSEL_TEST_PYTHON:-python3}
peers=$top/tests/peers
mkdir -p "$root/run/demo" "$root/log"
work=$root/run/demo

pids=()
squid_dir=""
stop_peers() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  [ -n "$squid_dir" ] && rm -rf "$squid_dir"
  return 0
}
trap stop_peers EXIT
trap 'exit 130' INT TERM

# Starts a peer that prints "PORT n" first; its port in peer_port. (Not
# in a command substitution: the peer must be this shell's child.)
start_peer() {
  local out=$1; shift
  "$@" >"$out" 2>&1 &
  pids+=($!)
  peer_port=""
  for _ in $(seq 1 300); do
    peer_port=$(sed -n 's/^PORT \([0-9]*\)$/\1/p' "$out" | head -n 1)
    [ -n "$peer_port" ] && return 0
    sleep 0.1
  done
  echo "peer did not start: $*" >&2
  return 1
}
free_port() { "$python" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

start_peer "$work/relay.out" "$python" "$peers/mms_relay.py" --save "$work/relay" --lifetime 1e9
relay_port=$peer_port
start_peer "$work/vrax.out" "$python" "$peers/vrax_server.py" --demo "$work/vrax.log"
vrax_port=$peer_port
push_port=$(free_port)

nai=4255550100@nai.tessel.test
proxy_uri=""
if [ -x /usr/sbin/squid ] && [ -x /usr/lib/squid/basic_ncsa_auth ]; then
  squid_dir=$(mktemp -d /tmp/tessel-demo-squid-XXXXXX)
  chmod 777 "$squid_dir"
  squid_port=$(free_port)
  # The proxy password "qtz" as basic_ncsa_auth reads it (MD5-crypt).
  echo "$nai:\$1\$tessel\$2MU.1prIl0rbEe7FlRLBX0" >"$squid_dir/passwd"
  cat >"$squid_dir/squid.conf" <<CONF
http_port 127.0.0.1:$squid_port
pid_filename $squid_dir/squid.pid
cache_log $squid_dir/cache.log
access_log stdio:$squid_dir/access.log
cache_store_log none
coredump_dir $squid_dir
netdb_filename none
pinger_enable off
cache deny all
cache_mem 1 MB
visible_hostname tessel-demo-proxy
shutdown_lifetime 0 seconds
dns_nameservers 127.0.0.1
auth_param basic program /usr/lib/squid/basic_ncsa_auth $squid_dir/passwd
auth_param basic children 2
auth_param basic realm tessel
acl authenticated proxy_auth REQUIRED
http_access allow authenticated
http_access deny all
CONF
  chmod 644 "$squid_dir/passwd" "$squid_dir/squid.conf"
  /usr/sbin/squid -N -n "tesseldemo$$" -f "$squid_dir/squid.conf" >"$work/squid.out" 2>&1 &
  pids+=($!)
  proxy_uri="http://<NAI>:qtz@127.0.0.1:$squid_port/"
else
  echo "squid is not installed: the demo runs without the carrier's proxy" >&2
fi

"$python" "$top/tools/demo_root.py" "$root" "$nai" "$relay_port" "$vrax_port" "$push_port" "$proxy_uri" \
  "$build/bin" "$top"

# Who runs beside tessel, for anyone who checks that they end with it.
printf '%s\n' "${pids[@]}" >"$work/peers.pid"
echo "demo root $root; relay 127.0.0.1:$relay_port, service 127.0.0.1:$vrax_port, push 127.0.0.1:$push_port"
echo "a notification to the phone: $python $peers/mms_relay.py push $push_port ID --location http://127.0.0.1:$relay_port/retrieve/ID"
status=0
TESSEL_ROOT=$root "$build/bin/tessel" "$@" || status=$?
exit $status
