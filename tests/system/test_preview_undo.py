#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Preview and undo as users meet them: for each write function, on copies of
the sample photos with XMP sidecars beside some of them, the dry run's plan is
what the run then does (read back with exiftool and stat), and `undo` puts
every photo, sidecar, name and file time back exactly. A run killed at a
random moment is undone to the folder as it was; a photo another tool edited
after the run is listed by undo and left as that tool wrote it. Wipe takes
a photo's sidecars with it."""

import datetime
import json
import os
import signal
import subprocess
import time
import unittest

import harness as h

COPIES = 8
SIDECAR = """<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>
<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>
<rdf:Description rdf:about='' xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmlns:dc='http://purl.org/dc/elements/1.1/'
 xmp:CreateDate='2006-12-17T07:09:14' xmp:ModifyDate='2006-12-17T07:09:14'>
<dc:description><rdf:Alt><rdf:li xml:lang='x-default'>Old words</rdf:li></rdf:Alt></dc:description>
</rdf:Description></rdf:RDF></x:xmpmeta>
<?xpacket end='w'?>
"""
# The write functions; "stripped" ones work on photos without an Exif segment.
COMMANDS = {
    "file-time": (["file-time"], False),
    "shift-time": (["shift-time", "--days", "-400", "--time", "+01:30:00"], False),
    "prefix": (["prefix", "--add", "Trip_", "--sequence"], False),
    "copyright": (["copyright", "--photographer", "Jane Doe, Example Picture Archive", "--photographer-year",
                   "2008"], False),
    "describe": (["describe", "--text", "Lake Constance, seen from the ferry"], False),
    "create": (["create"], True),
    "restore": (["restore", "--source", None], True),
}
# The plan's fields and where exiftool (-G1 -n) reads them after the run.
EXIFTOOL_FIELD = {
    "DateTime": "IFD0:ModifyDate",
    "DateTimeOriginal": "ExifIFD:DateTimeOriginal",
    "DateTimeDigitized": "ExifIFD:CreateDate",
    "Copyright": "IFD0:Copyright",
    "ImageDescription": "IFD0:ImageDescription",
}


def local_text(ns):
    return datetime.datetime.fromtimestamp(ns / 1e9).strftime("%Y:%m:%d %H:%M:%S")


class PreviewUndo(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        h.require("exiftool")
        cls.scratch = h.Scratch("undo")
        cls.home = cls.scratch.sub("home")
        os.makedirs(cls.home)
        cls.source = h.camera_photos()[0]
        cls.folders = 0

    @classmethod
    def tearDownClass(cls):
        cls.scratch.remove()

    def folder(self, stripped):
        PreviewUndo.folders += 1
        path = self.scratch.sub(f"f{PreviewUndo.folders:03d}")
        names = sorted(h.fill_folder(path, COPIES))
        if stripped:
            subprocess.run(["exiftool", "-q", "-all=", "-overwrite_original", path], check=True)
        for name in names[:3]:
            with open(os.path.join(path, name + ".xmp"), "w", encoding="utf-8") as f:
                f.write(SIDECAR)
        return path

    def args(self, label):
        args, stripped = COMMANDS[label]
        return [self.source if a is None else a for a in args], stripped

    def undo_problems(self, label, before, folder, listed=()):
        run = h.run_cli(["--json", "--yes", "undo"], self.home)
        failed = set(run.failures())
        problems = [f"{label}: undo listed {sorted(failed)}, expected {sorted(listed)}"] if failed != set(listed) else []
        after = h.snapshot(folder)
        for name in listed:
            before.pop(name, None)
            after.pop(name, None)
        return problems + [f"{label}: after undo {c}" for c in h.snapshot_changes(before, after)]

    def test_preview_is_what_the_run_does_and_undo_takes_it_back(self):
        problems = []
        for label in COMMANDS:
            args, stripped = self.args(label)
            folder = self.folder(stripped)
            before = h.snapshot(folder)
            preview = h.run_cli(["--json", "--dry-run"] + args + [folder], self.home)
            plan = {p["photo"]: p["changes"] for p in (preview.json or {}).get("plan", [])}
            if h.snapshot(folder) != before:
                problems.append(f"{label}: the dry run changed the folder")
            if not plan:
                problems.append(f"{label}: empty plan: {preview.describe()}")
            run = h.run_cli(["--json", "--yes"] + args + [folder], self.home)
            after = h.snapshot(folder)
            changed = {n for n, old in before.items() if after.get(n) != old}
            if changed != set(plan):
                problems.append(f"{label}: planned {sorted(plan)}, changed {sorted(changed)}")
            problems += self.plan_problems(label, folder, plan)
            if run.failures():
                problems.append(f"{label}: failures {run.failures()}")
            problems += self.undo_problems(label, before, folder)
        h.assert_no_problems(self, problems)

    def plan_problems(self, label, folder, plan):
        names = {}
        for photo, changes in plan.items():
            name = next((c["after"] for c in changes if c["field"] == "Name"), photo)
            names[photo] = os.path.join(folder, name)
        readings = h.exiftool_readings(list(names.values()))
        problems = []
        for photo, changes in plan.items():
            path = names[photo]
            if not os.path.exists(path):
                problems.append(f"{label}: {photo} planned as {path}, which is missing")
                continue
            for change in changes:
                field, after = change["field"], change["after"]
                if field == "File modified":
                    found = local_text(os.stat(path).st_mtime_ns)
                elif field in EXIFTOOL_FIELD:
                    found = str(readings.get(path, {}).get(EXIFTOOL_FIELD[field], ""))
                else:
                    continue
                if found.rstrip() != after.rstrip():
                    problems.append(f"{label}: {photo} {field} planned {after!r}, found {found!r}")
        return problems

    def test_killed_run_is_undone_to_the_folder_as_it_was(self):
        rng = h.seeded_random("test_killed_run_is_undone_to_the_folder_as_it_was")
        problems = []
        undone = 0
        for label in ("shift-time", "prefix", "copyright", "describe"):
            args, stripped = self.args(label)
            timing = self.folder(stripped)
            duration = h.run_cli(["--yes", "--no-journal"] + args + [timing], self.home).seconds
            for _ in range(h.ROUNDS * 2):
                folder = self.folder(stripped)
                before = h.snapshot(folder)
                started = h.Started(["--yes"] + args + [folder], self.home)
                delay = rng.uniform(0, duration)
                time.sleep(delay)
                started.signal(signal.SIGKILL)
                started.finish()
                history = json.loads(h.run_cli(["--json", "history"], self.home).stdout or "[]")
                if not history or history[0]["folder"] != os.path.realpath(folder) + "/":
                    continue  # killed before its journal was made: nothing changed
                undone += 1
                problems += [f"killed after {delay * 1000:.0f} ms: {p}"
                             for p in self.undo_problems(label, before, folder)]
        h.assert_no_problems(self, problems)
        self.assertGreater(undone, 0)

    def test_undo_leaves_a_photo_edited_since_alone(self):
        args, stripped = self.args("describe")
        folder = self.folder(stripped)
        before = h.snapshot(folder)
        h.run_cli(["--yes"] + args + [folder], self.home)
        edited = sorted(n for n in before if not n.endswith(".xmp"))[1]
        subprocess.run(["exiftool", "-q", "-overwrite_original", "-ImageDescription=Another tool",
                        os.path.join(folder, edited)], check=True)
        kept = h.sha256_of(os.path.join(folder, edited))
        h.assert_no_problems(self, self.undo_problems("describe", before, folder, listed=[edited]))
        self.assertEqual(kept, h.sha256_of(os.path.join(folder, edited)))

    def test_wipe_takes_sidecars_with_their_photo(self):
        folder = self.folder(False)
        photos = sorted(n for n in os.listdir(folder) if not n.endswith(".xmp"))
        h.run_cli(["--yes", "wipe", os.path.join(folder, photos[0])], self.home)
        self.assertEqual(sorted(set(os.listdir(folder)) - set(photos)), [photos[1] + ".xmp", photos[2] + ".xmp"])
        run = h.run_cli(["--json", "--yes", "wipe", folder], self.home)
        self.assertEqual((run.json or {}).get("total"), len(photos) - 1, run.describe())
        self.assertEqual(os.listdir(folder), [])


if __name__ == "__main__":
    h.main()
