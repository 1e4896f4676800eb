#!/usr/bin/env python3
"""ctlite-data import and export against files other programs write and read.

Python's csv module and vobject write files for ctlite-data import; vobject reads
back every vCard ctlite-data export writes; the LibreOffice and khard files in
other_programs/ were made once by other_programs/make_fixtures.sh.

usage: other_programs_test.py CTLITE_DATA FIXTURE_DIR
"""
import csv
import io
import json
import os
import subprocess
import sys
import tempfile
import unittest

import vobject

TOOL = FIXTURES = None

# The columns of a CSV line, in the order ctlite-data import takes them.
CSV_COLUMNS = ["companyName", "firstName", "lastName", "homePhone", "workPhone", "faxNumber",
               "mobilePhone", "pagerNumber", "streetAddress", "city", "state", "zipCode",
               "emailAddress", "homepage", "picture", "note", "country"]


def run(*args, data=None):
    result = subprocess.run([TOOL, *args], input=data, capture_output=True)
    if result.returncode != 0:
        raise AssertionError(f"ctlite-data {' '.join(args)}: {result.returncode}\n"
                             f"{result.stderr.decode(errors='replace')}")
    return result.stdout


def cp1252(text):
    """What the book holds for a text: Windows-1252, "?" for what it lacks, CR LF."""
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    return text.encode("cp1252", errors="replace").decode("cp1252")


class Book:
    """A new book in a temporary folder."""

    def __init__(self, test):
        self.dir = tempfile.TemporaryDirectory()
        test.addCleanup(self.dir.cleanup)
        self.path = os.path.join(self.dir.name, "book.dat")
        run("new", self.path)

    def import_bytes(self, data, fmt, group_name="Imported"):
        return run("import", self.path, "-", "--format", fmt, "--new-group", group_name,
                   data=data).decode()

    def entries(self, group):
        lines = [json.loads(line) for line in run("show", self.path).decode().splitlines()]
        return [e for e in lines if e["type"] == "entry" and e["group"] == group]


class PythonCsv(unittest.TestCase):
    ROWS = [
        {"firstName": "Ann", "lastName": "Smith, Jr.", "note": 'She said "hi"\nand left',
         "city": "Zo\u00eb's town", "homePhone": "+1 555"},
        {"companyName": "\u674e Trading", "firstName": "", "emailAddress": "li@example.com",
         "workPhone": "+86 10", "streetAddress": "1 Main St; Suite 2"},
        {"firstName": "Bob", "homepage": "http://example.com/?a=1,2", "zipCode": "75001",
         "country": "France"},
    ]

    def check(self, quoting, lineterminator):
        out = io.StringIO(newline="")
        writer = csv.writer(out, quoting=quoting, lineterminator=lineterminator)
        for row in self.ROWS:
            writer.writerow([row.get(c, "") for c in CSV_COLUMNS])
        book = Book(self)
        said = book.import_bytes(out.getvalue().encode("utf-8"), "csv")
        self.assertIn("3 records read, 3 entries added", said)
        self.assertIn("1 characters replaced", said)
        entries = book.entries(3)
        self.assertEqual(len(entries), 3)
        # Imported newest first, saved and read back: file order again.
        for entry, row in zip(entries, self.ROWS):
            for column in CSV_COLUMNS:
                self.assertEqual(entry[column], cp1252(row.get(column, "")), column)

    def test_minimal_quoting_crlf(self):
        self.check(csv.QUOTE_MINIMAL, "\r\n")

    def test_all_quoted_lf(self):
        self.check(csv.QUOTE_ALL, "\n")


def vobject_card(version="3.0"):
    card = vobject.vCard()
    card.add("n").value = vobject.vcard.Name(family="M\u00fcller", given="J\u00f6rg")
    card.add("fn").value = "J\u00f6rg M\u00fcller"
    card.add("org").value = ["Acme; Ltd", "Sales"]
    for kind, number in [("CELL", "+49 1"), ("WORK", "+49 2"), ("HOME", "+49 3"), ("CELL", "+49 4")]:
        tel = card.add("tel")
        tel.value = number
        tel.type_param = kind
    card.add("adr").value = vobject.vcard.Address(street="Hauptstra\u00dfe 5", city="Berlin",
                                                  code="10115", country="Germany")
    card.add("email").value = "j@example.de"
    card.add("url").value = "https://example.de"
    card.add("note").value = "first line, with comma\nsecond; line \\ backslash " + "x" * 80
    card.add("categories").value = ["Work"]
    return card


class VobjectCards(unittest.TestCase):
    def test_vobject_cards_import_field_by_field(self):
        book = Book(self)
        data = (vobject_card().serialize() * 2).encode("utf-8")
        said = book.import_bytes(data, "vcard")
        self.assertIn("2 cards read, 2 entries added", said)
        entry = book.entries(3)[0]
        self.assertEqual(entry["lastName"], "M\u00fcller")
        self.assertEqual(entry["firstName"], "J\u00f6rg")
        self.assertEqual(entry["companyName"], "Acme; Ltd, Sales")
        self.assertEqual(entry["mobilePhone"], "+49 1")
        self.assertEqual(entry["workPhone"], "+49 2")
        self.assertEqual(entry["homePhone"], "+49 3")
        self.assertEqual(entry["streetAddress"], "Hauptstra\u00dfe 5")
        self.assertEqual((entry["city"], entry["zipCode"], entry["country"]),
                         ("Berlin", "10115", "Germany"))
        self.assertEqual(entry["emailAddress"], "j@example.de")
        self.assertEqual(entry["homepage"], "https://example.de")
        self.assertEqual(entry["note"], "first line, with comma\r\nsecond; line \\ backslash "
                         + "x" * 80 + "\r\nMobile phone: +49 4")

    def test_a_photo_comes_in_as_a_file_and_goes_out_as_vobject_reads_it(self):
        jpeg = b"\xff\xd8\xff\xe0\x00\x10JFIF\x00" + bytes(range(256)) * 3 + b"\xff\xd9"
        card = vobject_card()
        photo = card.add("photo")
        photo.value = jpeg
        photo.encoding_param = "b"
        photo.type_param = "JPEG"
        book = Book(self)
        said = book.import_bytes(card.serialize().encode("utf-8"), "vcard")
        self.assertIn("1 photos kept", said)
        picture = book.entries(3)[0]["picture"]
        self.assertTrue(picture.endswith("book pictures/J\u00f6rg M\u00fcller.jpg"), picture)
        with open(picture.encode("cp1252"), "rb") as f:  # the book's code page
            self.assertEqual(f.read(), jpeg)
        exported = run("export", book.path, "--group", "3", "--format", "vcard", "-")
        (back,) = vobject.readComponents(exported.decode("utf-8"))
        self.assertEqual(back.photo.value, jpeg)

    def test_every_exported_card_parses_back_in_vobject(self):
        rows = [
            # CSV holds names as this program stores them, the first "&" doubled.
            {"companyName": "Smith && Sons", "firstName": "Ann", "lastName": "Smith",
             "homePhone": "1", "workPhone": "2", "faxNumber": "3", "mobilePhone": "4",
             "pagerNumber": "5", "streetAddress": "1 Main St, Flat 2", "city": "Paris",
             "state": "IDF", "zipCode": "75001", "emailAddress": "ann@example.com",
             "homepage": "http://example.com/a;b", "note": "line 1\nline 2; with \\ and , "
             + "long " * 30},
            {"firstName": "Caf\u00e9 \u20ac", "note": "only a note"},
            {"companyName": "Acme"},
        ]
        out = io.StringIO(newline="")
        writer = csv.writer(out, lineterminator="\r\n")
        for row in rows:
            writer.writerow([row.get(c, "") for c in CSV_COLUMNS])
        book = Book(self)
        book.import_bytes(out.getvalue().encode("utf-8"), "csv", group_name="Friends; old")
        entries = book.entries(3)
        exported = run("export", book.path, "--group", "3", "--format", "vcard", "-")
        self.assertTrue(all(len(line) <= 75 for line in exported.split(b"\r\n")))
        cards = list(vobject.readComponents(exported.decode("utf-8")))
        self.assertEqual(len(cards), len(entries))
        for card, entry in zip(cards, entries):
            typed = {k: entry[k].replace("&", "", 1) for k in ("firstName", "lastName",
                                                                 "companyName")}
            self.assertEqual(card.version.value, "3.0")
            self.assertEqual(card.n.value.family, typed["lastName"])
            self.assertEqual(card.n.value.given, typed["firstName"])
            fn = " ".join(x for x in (typed["firstName"], typed["lastName"]) if x)
            self.assertEqual(card.fn.value, fn or typed["companyName"])
            if typed["companyName"]:
                self.assertEqual(card.org.value, [typed["companyName"]])
            phones = {t.type_param: t.value for t in card.contents.get("tel", [])}
            for kind, field in [("HOME", "homePhone"), ("WORK", "workPhone"),
                                ("CELL", "mobilePhone"), ("FAX", "faxNumber"),
                                ("PAGER", "pagerNumber")]:
                self.assertEqual(phones.get(kind, ""), entry[field], kind)
            if entry["streetAddress"] or entry["city"]:
                adr = card.adr.value
                self.assertEqual((adr.street, adr.city, adr.region, adr.code),
                                 (entry["streetAddress"], entry["city"], entry["state"],
                                  entry["zipCode"]))
            if entry["emailAddress"]:
                self.assertEqual(card.email.value, entry["emailAddress"])
            if entry["homepage"]:
                self.assertEqual(card.url.value, entry["homepage"])
            note = card.note.value if "note" in card.contents else ""
            self.assertEqual(note.replace("\n", "\r\n"), entry["note"])
            self.assertEqual(card.categories.value, ["Friends; old"])


class FilesOfOtherPrograms(unittest.TestCase):
    def test_libreoffice_csv(self):
        with open(os.path.join(FIXTURES, "libreoffice.csv"), "rb") as f:
            data = f.read()
        book = Book(self)
        self.assertIn("3 records read, 3 entries added", book.import_bytes(data, "csv"))
        ann, bob, zoe = book.entries(3)  # in file order once saved and read back
        self.assertEqual((ann["firstName"], ann["lastName"], ann["city"]),
                         ("Ann", "Smith, Jr.", "Paris"))
        self.assertEqual(ann["note"], 'Says "hello"\r\nTwo lines')
        self.assertEqual((bob["companyName"], bob["homePhone"]), ("Bob's Garage", "0123"))
        self.assertEqual(zoe["firstName"], "Zo\u00eb")

    def test_khard_cards(self):
        for name, version in [("khard-3.0.vcf", "3.0"), ("khard-4.0.vcf", "4.0")]:
            with open(os.path.join(FIXTURES, name), "rb") as f:
                data = f.read()
            book = Book(self)
            self.assertIn("1 cards read, 1 entries added", book.import_bytes(data, "vcard"))
            entry = book.entries(3)[0]
            self.assertEqual((entry["firstName"], entry["lastName"]), ("Ren\u00e9", "Dubois"), name)
            self.assertEqual(entry["companyName"], "Dubois & Fils".replace("&", "&&", 1), name)
            self.assertEqual(entry["mobilePhone"], "+33 6 12 34 56 78", name)
            self.assertEqual(entry["workPhone"], "+33 1 23 45 67 89", name)
            self.assertEqual(entry["emailAddress"], "rene@example.fr", name)
            self.assertEqual((entry["streetAddress"], entry["city"], entry["zipCode"]),
                             ("12 rue de la Paix", "Paris", "75002"), name)
            self.assertIn("Note from khard", entry["note"], name)


if __name__ == "__main__":
    TOOL, FIXTURES = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1])
