#!/usr/bin/env bash
# ctlite-data export of a 100k-entry group to CSV against abook --convert of the
# same 100k contacts to CSV (Debian's abook, installed for the measurement only),
# and cp of abook's file as the floor. Usage: bench/transfer_vs_abook.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
tool="$(realpath "${1:-build/bench}/tools/ctlite-data/ctlite-data")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The same contacts for both programs.
python3 - "$work" <<'PY'
import random, sys
work = sys.argv[1]
rnd = random.Random(1)
first = ["Ann", "Bob", "Cy", "Dora", "Emil", "Fay", "Gus", "Hana", "Ivo", "Jana"]
last = ["Smith", "Miller", "Adams", "Novak", "Rossi", "Dubois", "Berg", "Kowalski"]
towns = ["Paris", "London", "Rome", "Oslo", "Prague", "Lisbon"]
with open(f"{work}/abook.book", "w") as ab, open(f"{work}/people.csv", "w", newline="") as csv:
    ab.write("# abook addressbook file\n\n[format]\nprogram=abook\nversion=0.6.1\n\n")
    for i in range(100000):
        f, l, t = rnd.choice(first), rnd.choice(last), rnd.choice(towns)
        email = f"{f.lower()}.{l.lower()}{i}@example.com"
        phone, work_phone = f"+1 555 {i:06d}", f"+1 556 {i:06d}"
        street, zipc = f"{i % 300 + 1} Main Street", f"{10000 + i % 89999}"
        note = f"Met in {t}, contact {i}"
        ab.write(f"[{i}]\nname={f} {l}\nemail={email}\naddress={street}\ncity={t}\n"
                 f"zip={zipc}\nphone={phone}\nworkphone={work_phone}\nnotes={note}\n\n")
        # The columns ctlite-data import takes: the order its CSV export writes.
        values = ["", f, l, phone, work_phone, "", "", "", street, t, "", zipc, email, "", "", note]
        csv.write(",".join('"' + v + '"' for v in values) + "\r\n")
PY
"$tool" new "$work/book.dat"
"$tool" import "$work/book.dat" "$work/people.csv" --format csv --new-group People

# abook refuses to write over its output file: each run of both removes it first.
abook_run="rm -f $work/abook.csv; exec abook --convert --informat abook --infile $work/abook.book --outformat csv --outfile $work/abook.csv"
ctlite_run="rm -f $work/ctlite.csv; exec $tool export $work/book.dat --group 3 --format csv $work/ctlite.csv"
farm-bench -n 10 --vs "sh -c '$abook_run'" -- sh -c "$ctlite_run"
farm-bench -n 10 --vs "cp $work/abook.book $work/copy.book" -- sh -c "$abook_run"
ls -l "$work"/*.csv
