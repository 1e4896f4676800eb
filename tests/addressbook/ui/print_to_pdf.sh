#!/usr/bin/env bash
# Prints from ctlite.exe under Wine on a cups-pdf printer and reads the pages back with
# pdftotext: print all by last name (the blocks in the list's order, an accented name
# among the plain ones, two entries sharing a text once each) and the selected entry
# (its page with the note line, one entry only); the cancelled Print dialog adds no document.
# Usage: print_to_pdf.sh WINE_RUN CTLITE_TESTS_EXE. Exits 77 (skipped) without CUPS.
set -euo pipefail
wine_run=$1 tests_exe=$2
for tool in cupsd lpadmin lpstat pdftotext pdfinfo; do
  command -v "$tool" >/dev/null || PATH=$PATH:/usr/sbin
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
[ -f /etc/cups/cups-pdf.conf ] || { echo "no cups-pdf: skipped"; exit 77; }
# Each job's file carries its job number, so the two documents do not overwrite each other.
grep -q '^Label 1' /etc/cups/cups-pdf.conf || sed -i 's/^#\?Label .*/Label 1/' /etc/cups/cups-pdf.conf
pgrep -x cupsd >/dev/null || /usr/sbin/cupsd
for _ in $(seq 50); do lpstat -r >/dev/null 2>&1 && break; sleep 0.2; done
lpstat -p PDF >/dev/null 2>&1 ||
  lpadmin -p PDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_noopt.ppd -E 2>/dev/null
lpadmin -d PDF
# cups-pdf reads its setting when each job starts.
out=$HOME/PDF
mkdir -p "$out"
rm -f "$out"/*Contavo_Lite*.pdf

CTLITE_PRINT_TEST=1 "$wine_run" "$tests_exe" \
  --gtest_filter='*PrintAllAndTheSelectedEntryOnTheDefaultPrinter' 2>&1 | grep -v ':fixme'
# The jobs finish on their own after the program has ended.
for _ in $(seq 100); do
  [ "$(lpstat -o 2>/dev/null | wc -l)" = 0 ] && [ "$(ls "$out"/*Contavo_Lite*.pdf 2>/dev/null | wc -l)" = 2 ] && break
  sleep 0.2
done
mapfile -t pdfs < <(ls -tr "$out"/*Contavo_Lite*.pdf)
fail() { echo "FAIL: $*"; exit 1; }
[ "${#pdfs[@]}" = 2 ] || fail "expected 2 documents, found ${#pdfs[@]}"
all=$(pdftotext -layout "${pdfs[0]}" -)
one=$(pdftotext -layout "${pdfs[1]}" -)
[ "$(pdfinfo "${pdfs[0]}" | awk '/^Pages:/ {print $2}')" = 2 ] || fail "print all: not two pages"
names=$(grep '^Name:' <<<"$all" | tr -s ' ')
[ "$names" = $'Name: Adams, bob\nName: Émond, Cy\nName: Lee, Ann\nName: Lee, Ann\nName: Ng, Zoe' ] ||
  fail "print all names: $names"
[ "$(grep -c '^------------------------------$' <<<"$all")" = 5 ] || fail "print all: not five rules"
# The two "Lee, Ann": one block each, one with a work phone, one with a home phone.
for phone in 'Work Phone: 111' 'Home Phone: 222'; do
  [ "$(grep -c "^$phone\$" <<<"$all")" = 1 ] || fail "print all: \"$phone\" not once"
done
grep -q '^Name: Ann Lee$' <<<"$one" || fail "selected: name line"
[ "$(grep -cE '^(Work Phone: 111|Home Phone: 222)$' <<<"$one")" = 1 ] ||
  fail "selected: not one entry: $(grep -E '^(Work|Home) Phone' <<<"$one")"
grep -q '^Note:' <<<"$one" || fail "selected: note line"
echo "printed and read back: ${pdfs[*]}"
