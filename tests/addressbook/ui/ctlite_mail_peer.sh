#!/bin/bash
# The compose window's tests against aiosmtpd on loopback: the servers run natively
# (a Windows test program cannot start Linux's Python), and the test under Wine
# learns their ports and the folders of what they received from the environment.
# Usage: ctlite_mail_peer.sh WINE_RUN CTLITE_TESTS_EXE SMTP_PEER WORK
set -u
wine_run=$1 tests=$2 peer=$3 work=$4
rm -rf "$work" && mkdir -p "$work" || exit 1
exec 3< <(exec /usr/bin/python3 "$peer" store "$work")
read -r port pid <&3
if [ "$port" = NO-AIOSMTPD ]; then
  echo "aiosmtpd is missing (Debian package python3-aiosmtpd)"
  exit 77
fi
trap 'kill "$pid" 2>/dev/null' EXIT
# The same server asking for a sign-in over TLS, with a certificate for "localhost"
# that the test makes trusted, and another the prefix never trusts.
tls=$work/tls
mkdir -p "$tls"
for name in trusted other; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost \
    -addext subjectAltName=DNS:localhost -keyout "$tls/$name.key" -out "$tls/$name.pem" \
    2>/dev/null || exit 1
done
exec 4< <(exec /usr/bin/python3 "$peer" tls "$tls" "$tls/trusted.pem" "$tls/trusted.key" \
  "$tls/other.pem" "$tls/other.key")
read -r starttls tls_pid from_start untrusted <&4
trap 'kill "$pid" "$tls_pid" 2>/dev/null' EXIT
CTLITE_SMTP_PORT=$port CTLITE_SMTP_DIR="Z:${work//\//\\}" \
  CTLITE_TLS_PORTS="$starttls $from_start $untrusted" CTLITE_TLS_DIR="Z:${tls//\//\\}" \
  "$wine_run" "$tests" --gtest_filter='Mail.*'
