#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The date shift writes a photo's three date/times with one write, so that
a kill can never leave them out of step."""

import os
import shutil

import harness as h

SHIFT = ["shift-time", "--days", "1", "--time", "+02:00:00"]
DATES = ["IFD0:ModifyDate", "ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate"]
WRITES = ["write", "pwrite64", "pwritev", "pwritev2", "writev"]


class DateShift(h.FolderCase):
    LABEL = "shift"

    def setUp(self):
        h.require("strace", "exiftool")
        super().setUp()

    def test_one_write_per_photo(self):
        folder = self.folder()
        run, calls = h.traced_calls(["--json"] + SHIFT + [folder], self.home, WRITES)
        self.assertEqual(0, run.returncode, run.describe())
        per_photo = {}
        for name, text in calls:
            if folder in text:
                path = text.split("<", 1)[1].split(">", 1)[0]
                per_photo.setdefault(os.path.basename(path), []).append(name)
        wrong = {n: c for n, c in per_photo.items() if c != ["pwrite64"]}
        print(f"writes per photo: {sorted(len(c) for c in per_photo.values())}", flush=True)
        self.assertEqual(len(h.camera_photos()), len(per_photo), "photos written")
        self.assertEqual({}, wrong, "photos not written with one pwrite64")

    def test_kill_between_writes_leaves_dates_in_step(self):
        reference = self.folder()
        names = sorted(os.listdir(reference))
        old = h.edited_values(reference, names, DATES)
        self.assertEqual(0, h.run_cli(SHIFT + [reference], self.home).returncode)
        new = h.edited_values(reference, names, DATES)
        counted = self.folder()
        _, calls = h.traced_calls(["--json"] + SHIFT + [counted], self.home, ["pwrite64"])
        numbers = [n for n in range(1, len(calls) + 1) if counted in calls[n - 1][1]]
        # Kill at each of the first writes into photos (between the writes of one photo, if it takes several).
        problems = []
        for when in numbers[1:7]:
            folder = self.folder()
            h.run_cli(["--json"] + SHIFT + [folder], self.home, prefix=h.injected("pwrite64", when))
            now = h.edited_values(folder, names, DATES)
            for name in names:
                if now[name] not in (old[name], new[name]):
                    problems.append(f"killed at pwrite64 #{when}: {name} holds {now[name]}")
            shutil.rmtree(folder)
        h.assert_no_problems(self, problems)


if __name__ == "__main__":
    h.main()
