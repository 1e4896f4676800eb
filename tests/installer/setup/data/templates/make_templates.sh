#!/usr/bin/env bash
# Compiles pages.rc with windres and writes the data of each dialog resource to
# NAME.dlg (WELCOME_PAGE: welcome-page.dlg): the binary dialog templates a package description's
# dialog_templates names. The outputs are committed; run this after changing pages.rc.
set -euo pipefail
cd "$(dirname "$0")"
x86_64-w64-mingw32-windres -O res pages.rc -o pages.res
python3 - pages.res <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()

def name_or_ordinal(at):
    if struct.unpack_from('<H', data, at)[0] == 0xFFFF:
        return struct.unpack_from('<H', data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from('<H', data, end)[0] != 0:
        end += 2
    return data[at:end].decode('utf-16-le'), end + 2

at = 0
while at < len(data):
    size, header = struct.unpack_from('<II', data, at)
    kind, after = name_or_ordinal(at + 8)
    name, _ = name_or_ordinal(after)
    body = data[at + header:at + header + size]
    if kind == 5:  # a dialog
        with open('%s.dlg' % str(name).lower().replace('_', '-'), 'wb') as out:
            out.write(body)
    at = (at + header + size + 3) & ~3
PY
rm pages.res
