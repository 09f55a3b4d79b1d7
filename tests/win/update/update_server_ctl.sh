#!/usr/bin/env bash
# Starts or stops the update tests' loopback server; ctest runs it as the setup
# and clean-up of the fixture "update_server". It signs with the update test key,
# and with a stranger's key made afresh at each start (FOLDER.stranger-key.pem).
#   update_server_ctl.sh start|stop PORT FOLDER LOGFILE
set -euo pipefail
action=$1 port=$2 folder=$3 log=$4
pidfile=$folder.pid
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

stop() {
  if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    rm -f "$pidfile"
  fi
}

case $action in
start)
  stop
  rm -rf "$folder" && mkdir -p "$folder"
  : >"$log"
  stranger=$folder.stranger-key.pem
  openssl ecparam -name prime256v1 -genkey -noout -out "$stranger"
  setsid python3 "$here/update_server.py" "$port" "$folder" "$log" "$here/../../support/update_test_key.pem" \
    "$stranger" >"$folder.out" 2>&1 </dev/null &
  echo $! >"$pidfile"
  for _ in $(seq 100); do
    if python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null; then
      echo "update server on 127.0.0.1:$port serving $folder"
      exit 0
    fi
    sleep 0.1
  done
  echo "update server did not start:"; cat "$folder.out"; stop; exit 1
  ;;
stop)
  stop
  ;;
esac
