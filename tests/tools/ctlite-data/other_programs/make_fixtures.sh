#!/usr/bin/env bash
# Makes the files of other programs that other_programs_test.py imports. Run once by
# hand; the outputs are committed, so neither program is needed to run the tests.
#   libreoffice.csv        LibreOffice Calc's CSV export (Debian libreoffice-calc-nogui)
#   khard-3.0.vcf, -4.0    cards khard writes (Debian khard)
set -euo pipefail
cd "$(dirname "$0")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A spreadsheet of three people in the sixteen columns ctlite-data import takes
# (company, first, last, home, work, fax, mobile, pager, street, city, state, zip,
# e-mail, homepage, picture, note), as a flat OpenDocument file.
python3 - "$work/people.fods" <<'PY'
import sys
from xml.sax.saxutils import escape
rows = [
    ["", "Ann", "Smith, Jr.", "", "", "", "", "", "", "Paris", "", "", "", "", "",
     ['Says "hello"', "Two lines"]],
    ["Bob's Garage", "", "", "0123", "", "", "", "", "", "", "", "", "", "", "", ""],
    ["", "Zo\u00eb", "", "", "", "", "", "", "", "", "", "", "", "", "", ""],
]
def cell(value):
    if value == "":
        return "<table:table-cell/>"
    paragraphs = value if isinstance(value, list) else [value]
    body = "".join(f"<text:p>{escape(p)}</text:p>" for p in paragraphs)
    return f'<table:table-cell office:value-type="string">{body}</table:table-cell>'
with open(sys.argv[1], "w", encoding="utf-8") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
            'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
            'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2" '
            'office:mimetype="application/vnd.oasis.opendocument.spreadsheet">'
            '<office:body><office:spreadsheet><table:table table:name="People">')
    for row in rows:
        f.write("<table:table-row>" + "".join(cell(v) for v in row) + "</table:table-row>")
    f.write("</table:table></office:spreadsheet></office:body></office:document>\n")
PY
# Comma, double quote, UTF-8, from the first line.
HOME="$work" soffice --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' \
  --outdir "$work" "$work/people.fods" >/dev/null
cp "$work/people.csv" libreoffice.csv

# One contact made with khard's own template, in each vCard version it writes.
cat >"$work/khard.conf" <<CONF
[addressbooks]
[[people]]
path = $work/book
[general]
editor = /bin/true
merge_editor = /bin/true
CONF
cat >"$work/contact.yaml" <<'YAML'
First name : René
Last name  : Dubois
Organisation : Dubois & Fils
Phone :
    cell : +33 6 12 34 56 78
    work : +33 1 23 45 67 89
Email :
    work : rene@example.fr
Address :
    work :
        Street   : 12 rue de la Paix
        Code     : 75002
        City     : Paris
        Country  : France
Note : Note from khard, with a comma; and a semicolon
YAML
for version in 3.0 4.0; do
  rm -rf "$work/book" && mkdir "$work/book"
  khard -c "$work/khard.conf" new -a people -i "$work/contact.yaml" --vcard-version "$version" >/dev/null
  cp "$work"/book/*.vcf "khard-$version.vcf"
done
