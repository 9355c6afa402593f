#!/usr/bin/env bash
# zelcrm-sandbox's resident memory before and after 20 requests whose query
# is 10 MB each (refused with 414 as the request line outgrows the
# connection's memory pool). Target: growth <= 2 MB.
#   bench/sandbox_big_query.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target zelcrm-sandbox >/dev/null
work=$(mktemp -d)
sandbox_pid=""
trap '[ -n "$sandbox_pid" ] && kill "$sandbox_pid" 2>/dev/null; rm -rf "$work"' EXIT
sed -e "s|^data_folder=.*|data_folder=$work/data|" -e "s|^client_db=.*|client_db=$work/none.db|" \
  etc/zelcrm-sandbox.example.ini > "$work/sandbox.ini"
"$build/tools/sandbox/zelcrm-sandbox" --config "$work/sandbox.ini" --port-file "$work/ports" \
  2>/dev/null &
sandbox_pid=$!
until [ -s "$work/ports" ]; do sleep 0.2; done
port=$(sed -n 's/^http=//p' "$work/ports")
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$sandbox_pid/status"; }
curl -s -o /dev/null "http://127.0.0.1:$port/"
before=$(rss)
python3 - "$port" <<'PY'
import socket, sys, threading
port = int(sys.argv[1])
request = b"GET /api/swsendSingle.asp?message=" + b"x" * (10 << 20) + b" HTTP/1.1\r\nHost: t\r\n\r\n"
for _ in range(20):
    s = socket.create_connection(("127.0.0.1", port))
    def send():
        try:
            s.sendall(request)
        except OSError:
            pass
    t = threading.Thread(target=send)
    t.start()
    answer = s.recv(64)
    assert answer.startswith(b"HTTP/1.1 414"), answer
    s.close()
    t.join()
PY
after=$(rss)
awk -v b="$before" -v a="$after" 'BEGIN {
  printf "zelcrm-sandbox after 20 queries of 10 MB (414): %.1f MB -> %.1f MB   growth: %.1f MB (target <= 2)\n",
         b / 1024, a / 1024, (a - b) / 1024
}'
