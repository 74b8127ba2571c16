#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Every export format written from all sample photos is read back as it is
by the tools people analyse with (pandas, Python's csv, openpyxl, sqlite3,
jq), and the typed formats give exiftool's -n values; a second folder of
same-named photos appended to the same database and workbook keeps both."""

import csv
import json
import math
import os
import shutil
import subprocess
import unittest

import harness as h

# Library name -> exiftool -n tag, compared on every photo.
COMPARED = {
    "Make": "EXIF:Make",
    "Model": "EXIF:Model",
    "DateTimeOriginal": "EXIF:DateTimeOriginal",
    "ExposureTime": "EXIF:ExposureTime",
    "FNumber": "EXIF:FNumber",
    "ISOSpeedRatings": "EXIF:ISO",
    "FocalLength": "EXIF:FocalLength",
    "GPSLatitude": "Composite:GPSLatitude",
    "GPSLongitude": "Composite:GPSLongitude",
}
TEXT_TAGS = ("Make", "Model")
FORMATS = ("csv", "json", "xlsx", "sqlite")


def all_sample_photos():
    """Every JPEG of the samples (broken and Exif-less ones too), named
    after their sample folder so that names never clash."""
    root = h.samples_path()
    if not os.path.isdir(os.path.join(root, "oracle")):
        raise unittest.SkipTest(f"no sample photos at {root} (set KELVANE_SAMPLES)")
    photos = {}
    for folder, _, names in sorted(os.walk(root)):
        relative = os.path.relpath(folder, root)
        if relative.split(os.sep)[0] == "oracle":
            continue
        for name in sorted(names):
            if name.lower().endswith((".jpg", ".jpeg")):
                photos[relative.replace(os.sep, "_") + "_" + name] = os.path.join(folder, name)
    return photos


def exiftool_readings(folder):
    """{file name: {group:tag: value}} as exiftool -n reads the folder."""
    tags = [f"-{tag}" for tag in COMPARED.values()]
    out = subprocess.run(["exiftool", "-n", "-j", "-G", "-q", "-q", *tags, folder], capture_output=True, check=False)
    return {os.path.basename(r["SourceFile"]): r for r in json.loads(out.stdout or b"[]")}


def iso_date(exif_date):
    """2008:10:22 16:28:39 -> 2008-10-22T16:28:39."""
    text = str(exif_date)
    return text[:10].replace(":", "-") + "T" + text[11:]


def value_problems(where, name, values, expected):
    """The compared tags of one photo that differ from exiftool's reading."""
    problems = []
    for tag, oracle_tag in COMPARED.items():
        want = expected.get(oracle_tag)
        got = values.get(tag)
        if want is None or want == "":
            continue
        if tag == "DateTimeOriginal":
            same = isinstance(got, str) and got.startswith(iso_date(want))
        elif tag in TEXT_TAGS:
            same = got == str(want).strip()
        else:
            same = isinstance(got, (int, float)) and math.isclose(float(got), float(want), rel_tol=1e-6, abs_tol=1e-9)
        if not same:
            problems.append(f"{where} {name} {tag}: {got!r}, exiftool {want!r}")
    return problems


class ExportReadback(unittest.TestCase):

    def setUp(self):
        h.require("exiftool", "jq")
        try:
            import openpyxl  # noqa: F401
            import pandas  # noqa: F401
        except ImportError as missing:
            self.skipTest(f"/usr/bin/python3 lacks {missing.name}")
        self.scratch = h.Scratch("readback")
        self.home = self.scratch.sub("home")
        os.makedirs(self.home)
        self.folders = [self.scratch.sub("trip", "a"), self.scratch.sub("trip", "b")]
        photos = all_sample_photos()
        for folder in self.folders:
            os.makedirs(folder)
            for name, source in photos.items():
                shutil.copyfile(source, os.path.join(folder, name))
        self.expected = exiftool_readings(self.folders[0])
        # Not compared against nothing: exiftool found the camera tags and positions.
        self.assertGreater(sum("Composite:GPSLatitude" in r for r in self.expected.values()), 3)
        self.assertGreater(sum("EXIF:FNumber" in r for r in self.expected.values()), 20)

    def tearDown(self):
        self.scratch.remove()

    def export(self, fmt, folder, target, *options):
        run = h.run_cli(["--yes", *options, "export", "--format", fmt, "--to", target, folder], self.home)
        self.assertIn(run.returncode, (0, 1), run.describe())
        return run

    def test_every_format_reads_back_with_exiftools_values(self):
        import openpyxl
        import pandas
        problems = []
        out = {fmt: self.scratch.sub(f"photos.{fmt}") for fmt in FORMATS}
        for fmt in FORMATS:
            self.export(fmt, self.folders[0], out[fmt])

        # JSON: pandas and jq read it as written, to a file and to standard output.
        frame = pandas.read_json(out["json"])
        with open(out["json"], encoding="utf-8") as f:
            objects = json.load(f)
        exported = {os.path.basename(o["SourceFile"]): o for o in objects}
        self.assertEqual(len(frame), len(objects))
        self.assertGreater(len(exported), 20)
        jq = subprocess.run(["jq", "-r", ".[].SourceFile", out["json"]], capture_output=True, text=True, check=False)
        self.assertEqual(0, jq.returncode, jq.stderr)
        self.assertEqual(sorted(jq.stdout.split("\n")[:-1]), sorted(o["SourceFile"] for o in objects))
        streamed = h.run_cli(["export", "--format", "json", "--to", "-", self.folders[0]], self.home)
        self.assertEqual(objects, json.loads(streamed.stdout), streamed.describe())
        for name, values in exported.items():
            problems += value_problems("json", name, values, self.expected.get(name, {}))

        # SQLite: every table and view selects whole; the typed table holds the values.
        import sqlite3
        with sqlite3.connect(out["sqlite"]) as db:
            for (table,) in db.execute("SELECT name FROM sqlite_master WHERE type IN ('table', 'view')").fetchall():
                db.execute(f'SELECT * FROM "{table}"').fetchall()
            cursor = db.execute("SELECT * FROM Photos")
            columns = [c[0] for c in cursor.description]
            rows = [dict(zip(columns, row)) for row in cursor.fetchall()]
        self.assertEqual(sorted(r["Filename"] for r in rows), sorted(exported))
        for row in rows:
            problems += value_problems("sqlite", row["Filename"], row, self.expected.get(row["Filename"], {}))

        # Spreadsheet CSV: tag numbers, then names, then a row per photo, tab-delimited.
        frame = pandas.read_csv(out["csv"], sep="\t")
        with open(out["csv"], encoding="utf-8", newline="") as f:
            lines = list(csv.reader(f, delimiter="\t"))
        self.assertEqual(len(frame), len(lines) - 1)
        self.assertEqual({len(line) for line in lines}, {len(lines[0])}, "rows and header differ in length")
        names = lines[1]
        csv_rows = {line[0]: dict(zip(names, line)) for line in lines[2:]}
        self.assertEqual(sorted(csv_rows), sorted(exported))

        # Workbook: the same layout in one sheet.
        sheet = openpyxl.load_workbook(out["xlsx"]).worksheets[0]
        cells = [["" if c is None else str(c) for c in row] for row in sheet.iter_rows(values_only=True)]
        book_rows = {row[0]: dict(zip(cells[1], row)) for row in cells[2:]}
        self.assertEqual(sorted(book_rows), sorted(exported))

        for label, table in (("csv", csv_rows), ("xlsx", book_rows)):
            for name, values in table.items():
                if values.get("Folder") != self.folders[0] + "/":
                    problems.append(f"{label} {name}: folder {values.get('Folder')!r}")
                # The sheets show a text as stored, trailing blanks too.
                for tag in TEXT_TAGS:
                    want = str(self.expected.get(name, {}).get(COMPARED[tag], "")).strip()
                    if want and values.get(tag, "").rstrip() != want:
                        problems.append(f"{label} {name} {tag}: {values.get(tag)!r}, exiftool {want!r}")
        h.assert_no_problems(self, problems)

    def test_same_named_photos_of_two_folders_are_both_kept(self):
        import openpyxl
        import sqlite3
        for fmt in ("sqlite", "xlsx"):
            target = self.scratch.sub(f"both.{fmt}")
            for folder in self.folders:
                self.export(fmt, folder, target)
            if fmt == "sqlite":
                with sqlite3.connect(target) as db:
                    kept = db.execute("SELECT Folder, Filename FROM PhotoFilesPG").fetchall()
                    typed = db.execute("SELECT count(*) FROM Photos").fetchone()[0]
                self.assertEqual(typed, len(kept))
            else:
                book = openpyxl.load_workbook(target)
                self.assertEqual(len(book.worksheets), 2)
                kept = [(row[-1], row[0]) for sheet in book.worksheets
                        for row in list(sheet.iter_rows(values_only=True))[2:]]
            by_folder = {folder + "/": sorted(n for f, n in kept if f == folder + "/") for folder in self.folders}
            self.assertEqual(len(kept), sum(len(names) for names in by_folder.values()), fmt)
            self.assertGreater(len(by_folder[self.folders[0] + "/"]), 20, fmt)
            self.assertEqual(by_folder[self.folders[0] + "/"], by_folder[self.folders[1] + "/"], fmt)


if __name__ == "__main__":
    h.main()
