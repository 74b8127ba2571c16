#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""SIGTERM and SIGHUP end a run like Ctrl-C, and temporary files left by a
killed run are never taken for photos: the next writing run removes them and
says so."""

import os
import shutil
import signal
import unittest

import harness as h

COPYRIGHT = ["copyright", "--photographer", "Jane Doe, Example Picture Archive, Lake Constance",
             "--photographer-year", "2008"]
CANCELLED = "User Process Cancellation"
REMOVED_TEXT = "unfinished temporary file"
WRITING = [
    ("file-time", []),
    ("shift-time", ["--time", "+01:00:00"]),
    ("prefix", ["--add", "Trip_"]),
    ("restore", ["--source", "SOURCE"]),
    ("create", []),
    ("copyright", COPYRIGHT[1:]),
    ("describe", ["--text", "Lake Constance"]),
    ("wipe", []),
]


class Signals(h.FolderCase):
    """A signal in the middle of a folder run: the photo in hand is finished
    or put back, the cancellation report is printed, exit 3."""

    LABEL = "signals"
    PHOTOS = 20

    def setUp(self):
        h.require("strace")
        super().setUp()

    def test_sigterm_sighup_and_sigint_in_the_middle_of_a_run(self):
        reference = self.folder()
        old = h.file_bytes(reference)
        self.assertEqual(0, h.run_cli(COPYRIGHT + [reference], self.home).returncode)
        new = h.file_bytes(reference)
        counted = self.folder()
        args = ["--json"] + COPYRIGHT
        _, calls = h.traced_calls(args + [counted], self.home, ["openat"])
        opens = [p for p, (_, text) in enumerate(calls) if counted in text]
        when = h.call_number(calls, "openat", after=opens[len(opens) // 2])
        problems = []
        for sig in ("TERM", "HUP", "INT"):
            folder = self.folder()
            run = h.run_cli(args + [folder], self.home, prefix=h.injected("openat", when, sig))
            titles = [m.get("title") for m in (run.json or {}).get("messages", [])]
            if run.returncode != 3 or CANCELLED not in titles:
                problems.append(f"SIG{sig}: exit {run.returncode}, messages {titles}")
            problems += [f"SIG{sig}: {p}" for p in h.old_or_new_problems(folder, old, new)]
            left = h.temporary_files(folder)
            if left:
                problems.append(f"SIG{sig}: left {left}")
            done = sum(h.file_bytes(folder)[n] == new[n] for n in new)
            print(f"SIG{sig}: exit {run.returncode}, {done} of {len(new)} photos done", flush=True)
        h.assert_no_problems(self, problems)


class LeftoverTemporaryFiles(unittest.TestCase):

    PHOTOS = 4

    def setUp(self):
        h.require()
        self.scratch = h.Scratch("leftovers")
        self.home = self.scratch.sub("home")
        os.makedirs(self.home)
        self.source = self.scratch.sub("source.jpg")
        shutil.copyfile(h.camera_photos()[0], self.source)
        self.count = 0

    def tearDown(self):
        self.scratch.remove()

    def folder_with_leftovers(self):
        """A folder of photos and two temporary files of a run that is gone:
        a complete new photo and one cut short."""
        self.count += 1
        folder = self.scratch.sub(f"photos-{self.count:03d}")
        h.fill_folder(folder, self.PHOTOS)
        pid = h.dead_pid()
        with open(h.camera_photos()[2], "rb") as f:
            photo = f.read()
        leftovers = [f"{h.HIDDEN_TEMP_PREFIX}{pid}-a1B2c3", f"{h.HIDDEN_TEMP_PREFIX}{pid}-Zz9Yy8"]
        for name, content in zip(leftovers, (photo, photo[:len(photo) // 2])):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(content)
        return folder, leftovers

    def test_killed_rewrite_leaves_nothing_the_next_run_counts(self):
        h.require("strace")
        folder = self.scratch.sub("killed0")
        h.fill_folder(folder, self.PHOTOS)
        counted = self.scratch.sub("counted")
        h.fill_folder(counted, self.PHOTOS)
        flushes = ("syncfs", "fsync", "fdatasync")
        _, calls = h.traced_calls(["--json"] + COPYRIGHT + [counted], self.home, list(flushes))
        flush = next(((n, h.call_number(calls, n, lambda text: counted in text)) for n in flushes
                      if h.call_number(calls, n, lambda text: counted in text)), None)
        self.assertIsNotNone(flush, "the rewrite flushed nothing in the folder")
        killed = h.run_cli(["--json"] + COPYRIGHT + [folder], self.home, prefix=h.injected(*flush))
        left = h.temporary_files(folder)
        run = h.run_cli(["--json"] + COPYRIGHT + [folder], self.home)
        problems = []
        if killed.returncode in (0, 1):
            problems.append("the run was not killed at its first flush")
        if run.json is None or run.json.get("total") != self.PHOTOS:
            problems.append(f"the next run counted {run.json and run.json.get('total')} of {self.PHOTOS} "
                            f"(left by the kill: {left})")
        elif run.json.get("removedTemporaryFiles") != len(left):
            problems.append(f"the next run reported removedTemporaryFiles={run.json.get('removedTemporaryFiles')}"
                            f" for {len(left)} left by the kill")
        if h.temporary_files(folder):
            problems.append(f"left after the next run: {h.temporary_files(folder)}")
        h.assert_no_problems(self, problems)

    def test_leftovers_are_never_photos_and_the_next_writing_run_removes_them(self):
        problems = []
        for command, options in WRITING:
            folder, leftovers = self.folder_with_leftovers()
            options = [self.source if o == "SOURCE" else o for o in options]
            run = h.run_cli(["--json", "--yes", command] + options + [folder], self.home)
            report = run.json or {}
            named = [f["file"] for f in report.get("failures", []) if "kelvane-tmp" in f["file"]]
            if report.get("total") != self.PHOTOS or named:
                problems.append(f"{command}: counted {report.get('total')} of {self.PHOTOS}, listed {named}")
            if report.get("removedTemporaryFiles") != len(leftovers):
                problems.append(f"{command}: removedTemporaryFiles={report.get('removedTemporaryFiles')}")
            remaining = sorted(n for n in os.listdir(folder) if "kelvane-tmp" in n)
            if remaining:
                problems.append(f"{command}: left or renamed {remaining}")
        folder, _ = self.folder_with_leftovers()
        run = h.run_cli(COPYRIGHT + [folder], self.home)
        if REMOVED_TEXT not in run.stderr:
            problems.append(f"copyright without --json: standard error {run.stderr[:200]!r}")
        h.assert_no_problems(self, problems)

    def test_export_leaves_leftovers_out(self):
        folder, leftovers = self.folder_with_leftovers()
        target = self.scratch.sub("out.csv")
        run = h.run_cli(["--json", "export", "--to", target, folder], self.home)
        with open(target, "rb") as f:
            exported = f.read()
        self.assertEqual(0, run.returncode, run.describe())
        self.assertNotIn(b"kelvane-tmp", exported)


if __name__ == "__main__":
    h.main()
