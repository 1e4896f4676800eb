#!/bin/bash
# The compose window's test against aiosmtpd on loopback: the server runs natively
# (a Windows test program cannot start Linux's Python), and the test under Wine
# learns its port and the folder of what it received from the environment.
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
CTLITE_SMTP_PORT=$port CTLITE_SMTP_DIR="Z:${work//\//\\}" \
  "$wine_run" "$tests" --gtest_filter='Mail.*'
