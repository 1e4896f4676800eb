#!/bin/sh
# Makes the compressed fixtures of the package-entry tests with the real gzip and
# zip tools. The outputs are committed; run this again only to change them.
set -eu
cd "$(dirname "$0")"
rm -f text.txt text.gz text.zip text-stored.zip text-stream.zip empty.gz empty.txt

# About 40 KB of address-book-like text with a few binary bytes.
awk 'BEGIN {
  for (i = 0; i < 600; i++)
    printf "Entry %d; Name%d, First%d; Street %d; 555-%04d; mail%d@example.org\r\n", i, i * 7 % 101, i % 13, i * 31 % 997, i * 17 % 10000, i
  for (i = 0; i < 256; i++) printf "%c", i
}' > text.txt
: > empty.txt

gzip -9 -c text.txt > text.gz          # header with the name (FNAME)
gzip -c empty.txt > empty.gz
zip -q -X -9 text.zip text.txt
zip -q -X -0 text-stored.zip text.txt
# Written to a pipe, zip cannot go back to the header: sizes and CRC follow the data.
zip -q -X -9 - text.txt | cat > text-stream.zip
rm -f empty.txt
