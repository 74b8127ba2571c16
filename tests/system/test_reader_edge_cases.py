#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Valid photos every peer reads: SHORT and BYTE entries with junk in the
unused bytes of their value field, and frames other than baseline
(progressive, arithmetic-coded)."""

import os
import shutil
import subprocess
import unittest

import harness as h

SHORT, BYTE = 3, 1
FUNCTIONS = [
    ("dump", []),
    ("file-time", []),
    ("shift-time", ["--time", "+01:00:00"]),
    ("copyright", ["--photographer", "Jane Doe", "--photographer-year", "2008"]),
    ("describe", ["--text", "Lake Constance"]),
    ("prefix", ["--add", "Trip_"]),
    ("export", ["--to", "EXPORT"]),
]


def tiff_start(data):
    """Offset of the TIFF header inside the Exif segment."""
    at = 2
    while at + 10 <= len(data) and data[at] == 0xFF:
        length = int.from_bytes(data[at + 2:at + 4], "big")
        if data[at + 1] == 0xE1 and data[at + 4:at + 10] == b"Exif\0\0":
            return at + 10
        at += 2 + length
    return None


def put_junk_in_unused_value_bytes(data):
    """Fills the unused bytes of every SHORT (count 1) and BYTE (count < 4)
    entry of IFD0 and the Exif IFD of a little-endian photo with junk whose
    top bit is set; returns (new data, entries changed)."""
    data = bytearray(data)
    tiff = tiff_start(data)
    if tiff is None or data[tiff:tiff + 2] != b"II":
        raise unittest.SkipTest("the photo is not a little-endian Exif photo")

    def u16(at):
        return int.from_bytes(data[at:at + 2], "little")

    def u32(at):
        return int.from_bytes(data[at:at + 4], "little")

    changed = 0
    directories = [u32(tiff + 4)]
    seen = set()
    while directories:
        offset = directories.pop()
        if offset in seen or tiff + offset + 2 > len(data):
            continue
        seen.add(offset)
        entries = u16(tiff + offset)
        for i in range(entries):
            entry = tiff + offset + 2 + 12 * i
            tag, kind, count = u16(entry), u16(entry + 2), u32(entry + 4)
            if tag == 0x8769:
                directories.append(u32(entry + 8))
            used = {SHORT: 2 * count, BYTE: count}.get(kind)
            if used is not None and used < 4:
                for k in range(used, 4):
                    data[entry + 8 + k] = 0xA5 if k < 3 else 0xC3
                changed += 1
    return bytes(data), changed


class ReaderEdgeCases(unittest.TestCase):

    def setUp(self):
        h.require("exiftool", "djpeg", "jpegtran")
        self.scratch = h.Scratch("reader")
        self.home = self.scratch.sub("home")
        os.makedirs(self.home)
        self.count = 0

    def tearDown(self):
        self.scratch.remove()

    def single(self, name, content):
        self.count += 1
        folder = self.scratch.sub(f"photos-{self.count:03d}")
        os.makedirs(folder)
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(content)
        return path

    def test_junk_in_unused_value_bytes(self):
        # Its ExifImageWidth and ExifImageHeight are SHORT values, as a Nikon D70s writes them.
        original = h.sample("cameras/Canon_DIGITAL_IXUS_400.jpg")
        with open(original, "rb") as f:
            patched, changed = put_junk_in_unused_value_bytes(f.read())
        self.assertGreater(changed, 5)
        reference = self.single("junk.jpg", patched)
        readings = h.exiftool_readings([original, reference])
        self.assertEqual([], h.tag_differences(readings[original], readings[reference], []),
                         "exiftool reads the patched photo differently")
        problems = []
        for command, options in FUNCTIONS:
            photo = self.single("junk.jpg", patched)
            options = [self.scratch.sub(f"junk-{self.count}.csv") if o == "EXPORT" else o for o in options]
            # Export collects a folder into one table.
            path = os.path.dirname(photo) if command == "export" else photo
            run = h.run_cli((["--json"] if command != "dump" else []) + [command] + options + [path], self.home)
            if run.returncode != 0:
                problems.append(f"{command}: exit {run.returncode}, {run.failures() or run.stderr[:200]}")
        h.assert_no_problems(self, problems)

    def test_frames_other_than_baseline(self):
        original = h.sample("cameras/Canon_40D.jpg")
        source = self.scratch.sub("source.jpg")
        shutil.copyfile(h.camera_photos()[0], source)
        # The frame's own width (exiftool's File group, which the readings leave out).
        width = int(subprocess.run(["exiftool", "-s3", "-n", "-File:ImageWidth", original], stdout=subprocess.PIPE,
                                   check=True).stdout)
        problems = []
        for label, options in (("progressive (SOF2)", ["-progressive"]), ("arithmetic (SOF9)", ["-arithmetic"]),
                               ("progressive arithmetic (SOF10)", ["-progressive", "-arithmetic"])):
            made = subprocess.run(["jpegtran", "-copy", "none"] + options + [original], stdout=subprocess.PIPE)
            if made.returncode != 0:
                problems.append(f"{label}: jpegtran could not make it")
                continue
            for command, extra in (("create", []), ("restore", ["--source", source])):
                photo = self.single("frame.jpg", made.stdout)
                run = h.run_cli(["--json", command] + extra + [photo], self.home)
                if run.returncode != 0:
                    problems.append(f"{label}, {command}: exit {run.returncode}, {run.failures()}")
                    continue
                with open(photo, "rb") as f:
                    content = f.read()
                if h.decode_error(photo) or h.image_data(content) != h.image_data(made.stdout):
                    problems.append(f"{label}, {command}: image data damaged")
                reading = h.exiftool_readings([photo])[photo]
                if command == "create" and reading.get("ExifIFD:ExifImageWidth") != width:
                    problems.append(f"{label}, create: ExifImageWidth {reading.get('ExifIFD:ExifImageWidth')}, "
                                    f"not {width}")
        h.assert_no_problems(self, problems)


if __name__ == "__main__":
    h.main()
