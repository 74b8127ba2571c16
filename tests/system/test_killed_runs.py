#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""kill -9 during copyright, describe, shift-time and prefix, at random
moments and at chosen system calls (strace fault injection): every photo is
its old bytes or its complete new version, none is missing, no visible file
is added, and the next run counts exactly the photos and leaves no temporary
file behind. Also the order of a folder rewrite: written beside, flushed as a
group, then renamed."""

import os
import shutil
import signal
import time
import unittest

import harness as h

COMMANDS = {
    # A notice and a description long enough to grow every sample's Exif segment (rewrite).
    "copyright": ["copyright", "--photographer", "Jane Doe, Example Picture Archive, Lake Constance",
                  "--photographer-year", "2008"],
    "describe": ["describe", "--text", "Lake Constance, seen from the ferry between Meersburg and Konstanz"],
    "shift-time": ["shift-time", "--days", "1", "--time", "+02:00:00"],
    "prefix": ["prefix", "--add", "Trip_"],
}
SYSCALLS = ["openat", "read", "pread64", "write", "pwrite64", "copy_file_range", "sendfile", "ftruncate", "fsync",
            "fdatasync", "syncfs", "rename", "renameat", "renameat2", "unlink", "unlinkat", "utimensat", "fchmod",
            "close"]


class KilledRuns(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        h.require("djpeg")
        cls.scratch = h.Scratch("kill")
        cls.home = cls.scratch.sub("home")
        os.makedirs(cls.home)
        cls.folders = 0

    @classmethod
    def tearDownClass(cls):
        cls.scratch.remove()

    def folder(self, label, count):
        """A fresh folder; every folder of a label has a name of the same length."""
        KilledRuns.folders += 1
        path = self.scratch.sub(f"{label}-{KilledRuns.folders:05d}")
        h.fill_folder(path, count)
        return path

    def reference(self, label, count):
        """(old, new, renamed, rerun_is_idempotent) of the command run alone."""
        folder = self.folder(label, count)
        old = h.file_bytes(folder)
        run = h.run_cli(["--json"] + COMMANDS[label] + [folder], self.home)
        self.assertEqual(0, run.returncode, run.describe())
        after = h.file_bytes(folder)
        renamed = {}
        if label == "prefix":
            renamed = {name: "Trip_" + name for name in old}
            self.assertEqual(sorted(renamed.values()), sorted(after), "prefix renamed otherwise")
            new = dict(old)
        else:
            self.assertEqual(sorted(old), sorted(after))
            new = after
        again = h.run_cli(["--json"] + COMMANDS[label] + [folder], self.home)
        idempotent = label in ("copyright", "describe") and again.returncode == 0 and h.file_bytes(folder) == new
        shutil.rmtree(folder)
        return old, new, renamed, idempotent

    def after_kill(self, label, folder, old, new, renamed, idempotent):
        """The problems left by a killed run, then those of the next run."""
        problems = h.old_or_new_problems(folder, old, new, renamed)
        # The next run: the same edit where running it twice changes nothing more, else file times.
        if idempotent:
            rerun = h.run_cli(["--json"] + COMMANDS[label] + [folder], self.home)
        else:
            rerun = h.run_cli(["--json", "file-time", folder], self.home)
        total = rerun.json.get("total") if rerun.json else None
        if total != len(old) or rerun.returncode != 0:
            problems.append(f"the next run counted {total} of {len(old)} photos, exit {rerun.returncode}: "
                            f"{rerun.failures()}")
        left = h.temporary_files(folder)
        if left:
            problems.append(f"left after the next run: {left}")
        if idempotent and not problems and h.file_bytes(folder) != new:
            problems.append("the next run did not finish every photo")
        return problems

    def test_kill_at_chosen_system_calls(self):
        h.require("strace")
        problems = []
        points = missed = 0
        started = time.monotonic()
        for label in COMMANDS:
            old, new, renamed, idempotent = self.reference(label, h.KILL_COPIES)
            counted = self.folder(label, h.KILL_COPIES)
            _, calls = h.traced_calls(["--json"] + COMMANDS[label] + [counted], self.home, SYSCALLS)
            begin = h.first_position(calls, lambda text: counted in text)
            for syscall in SYSCALLS:
                numbers, count = [], 0
                for position, (name, _) in enumerate(calls):
                    if name == syscall:
                        count += 1
                        if position >= begin:
                            numbers.append(count)
                for index in h.spread(len(numbers), h.KILL_POINTS):
                    when = numbers[index - 1]
                    folder = self.folder(label, h.KILL_COPIES)
                    run = h.run_cli(["--json"] + COMMANDS[label] + [folder], self.home,
                                    prefix=h.injected(syscall, when))
                    points += 1
                    missed += run.returncode in (0, 1)
                    found = self.after_kill(label, folder, old, new, renamed, idempotent)
                    problems += [f"{label}, killed at {syscall} #{when}: {p}" for p in found[:4]]
                    shutil.rmtree(folder)
            shutil.rmtree(counted)
        print(f"{points} kill points ({missed} runs ended before their point) in {time.monotonic() - started:.1f} s", flush=True)
        h.assert_no_problems(self, problems)

    def test_kill_at_random_moments(self):
        rng = h.seeded_random("test_kill_at_random_moments")
        count = max(h.KILL_COPIES, 60)
        problems = []
        for label in COMMANDS:
            old, new, renamed, idempotent = self.reference(label, count)
            timing = self.folder(label, count)
            duration = h.run_cli(["--json"] + COMMANDS[label] + [timing], self.home).seconds
            shutil.rmtree(timing)
            for round_number in range(h.ROUNDS * 3):
                folder = self.folder(label, count)
                delay = rng.uniform(0, duration)
                run = h.Started(["--json"] + COMMANDS[label] + [folder], self.home)
                time.sleep(delay)
                run.signal(signal.SIGKILL)
                result = run.finish()
                found = self.after_kill(label, folder, old, new, renamed, idempotent)
                problems += [f"{label}, killed after {delay * 1000:.0f} ms (exit {result.returncode}): {p}"
                             for p in found[:4]]
                shutil.rmtree(folder)
        h.assert_no_problems(self, problems)

    def test_folder_rewrite_is_flushed_as_a_group_before_any_rename(self):
        h.require("strace")
        folder = self.folder("copyright", h.KILL_COPIES)
        _, calls = h.traced_calls(["--json"] + COMMANDS["copyright"] + [folder], self.home,
                                  ["fsync", "fdatasync", "syncfs", "rename", "renameat", "renameat2"])
        flushed_before_first_rename = 0
        renamed_unflushed = []
        flushed = set()
        everything_flushed = False
        for name, text in calls:
            if folder not in text:
                continue
            if name in ("fsync", "fdatasync", "syncfs"):
                path = text.split("<", 1)[1].split(">", 1)[0] if "<" in text else ""
                everything_flushed = everything_flushed or name == "syncfs"
                flushed.add(path)
                continue
            source = text.split('"')[1] if '"' in text else ""
            if not flushed_before_first_rename:
                flushed_before_first_rename = len(flushed) + (h.KILL_COPIES if everything_flushed else 0)
            if not everything_flushed and not any(p.endswith("/" + os.path.basename(source)) for p in flushed):
                renamed_unflushed.append(source)
        self.assertEqual([], renamed_unflushed, "renamed over a photo before being flushed")
        self.assertGreaterEqual(flushed_before_first_rename, 2,
                                "the first rename came before a group of new photos was flushed")


if __name__ == "__main__":
    h.main()
