#!/usr/bin/env bash
# Builds the page if needed (scripts/build-web.sh) and serves build-web/ on 127.0.0.1, with
# the application/wasm type browsers need, until Ctrl-C. Prints the address to open.
#   run-web.sh [PORT]     (default 8000)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
port="${1:-8000}"
if [ ! -f build-web/volk5pellor.wasm ] || [ ! -f build-web/index.html ]; then
    bash scripts/build-web.sh
else
    # Brings the page up to date with the sources; the libraries are cached.
    cmake --build build-web -j "$(nproc)" > /dev/null
fi
echo "run-web: open http://127.0.0.1:$port/ (Ctrl-C stops the server)"
# NOTE: Python's server knows the .wasm type from Debian's mime.types only when it is
# installed; the type is given here so that streaming compilation works everywhere.
exec python3 - "$port" "$top/build-web" <<'PYTHON'
import functools, http.server, sys
handler = http.server.SimpleHTTPRequestHandler
handler.extensions_map = dict(handler.extensions_map, **{".wasm": "application/wasm"})
server = http.server.ThreadingHTTPServer(
    ("127.0.0.1", int(sys.argv[1])), functools.partial(handler, directory=sys.argv[2]))
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
PYTHON
