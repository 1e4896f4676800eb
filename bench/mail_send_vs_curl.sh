#!/usr/bin/env bash
# A 10 MB attachment sent to a server on loopback (smtp_peer.py's sink, which reads as
# fast as it can and keeps nothing): the mail client (mail_bench's SendAttachment:
# reading and encoding the file, the conversation, the chunks) against curl uploading
# a prepared message of the same size, in the same run (both in mail_bench). Usage: bench/mail_send_vs_curl.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
bench="$(realpath "${1:-build/bench}")/bench/mail_bench"
work="$(mktemp -d)"
exec 3< <(exec /usr/bin/python3 tests/addressbook/mail/smtp_peer.py sink "$work")
read -r port pid <&3
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

head -c $((10 << 20)) /dev/urandom >"$work/report.bin"
# The message curl sends: the same header, text and attachment, base64 in 76-column lines.
/usr/bin/python3 - "$work" <<'PY'
import base64, sys
work = sys.argv[1]
data = open(f"{work}/report.bin", "rb").read()
b64 = base64.encodebytes(data).replace(b"\n", b"\r\n")
head = (b"From: Me <me@example.com>\r\nTo: Ann Smith <ann@example.com>\r\nSubject: Report\r\n"
        b"MIME-Version: 1.0\r\nContent-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n\r\n"
        b"\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nThe report.\r\n"
        b"\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=\"report.bin\"\r\n"
        b"Content-Transfer-Encoding: base64\r\n\r\n")
open(f"{work}/message.eml", "wb").write(head + b64 + b"\r\n--#BOUNDARY#--\r\n")
PY
echo "message for curl: $(stat -c %s "$work/message.eml") bytes"

# Both in one run, their repetitions interleaved at random: the machine's load falls
# on both alike.
MAIL_BENCH_PORT=$port MAIL_BENCH_FILE="$work/report.bin" MAIL_BENCH_MESSAGE="$work/message.eml" \
  "$bench" --benchmark_filter='SendAttachment|CurlUpload' --benchmark_repetitions=7 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true |
  grep -E 'median|stddev'
