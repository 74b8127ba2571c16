#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Two runs on one folder at once, and photos changed by another program
while a run has them in hand: no photo damaged, no edit lost without the run
saying so, nothing reported done that is not on disk."""

import os
import shutil
import signal
import time
import unittest

import harness as h

COPYRIGHT = ["copyright", "--photographer", "Jane Doe", "--photographer-year", "2008"]
DESCRIBE = ["describe", "--text", "Lake Constance, seen from the ferry between Meersburg and Konstanz"]
EDITOR = ["copyright", "--editor", "Ann Smith", "--editor-year", "2009"]
COPYRIGHT_TAG = "IFD0:Copyright"
DESCRIPTION_TAG = "IFD0:ImageDescription"


class OverlappingRuns(unittest.TestCase):
    """Copyright and describe started together on one folder, and the same
    copyright started twice: every photo decodes and holds both edits, or a
    run lists the photo it did not change."""

    @classmethod
    def setUpClass(cls):
        h.require("djpeg", "exiftool")
        cls.scratch = h.Scratch("overlap")
        cls.home = cls.scratch.sub("home")
        os.makedirs(cls.home)
        # Each edit alone on one copy of each sample gives the intended new values.
        photos = h.camera_photos()
        cls.new_values = {}
        for label, command, tag in (("copyright", COPYRIGHT, COPYRIGHT_TAG),
                                    ("describe", DESCRIBE, DESCRIPTION_TAG)):
            folder = cls.scratch.sub("alone-" + label)
            made = h.fill_folder(folder, len(photos))
            run = h.run_cli(["--json", "--yes"] + command + [folder], cls.home)
            if run.returncode != 0:
                raise AssertionError("a single run failed: " + run.describe())
            values = h.edited_values(folder, sorted(made), [tag])
            for name, source in made.items():
                cls.new_values.setdefault(source, {})[tag] = values[name][tag]
        originals = h.exiftool_readings(photos)
        cls.old_values = {p: {t: originals[p].get(t) for t in (COPYRIGHT_TAG, DESCRIPTION_TAG)} for p in photos}

    @classmethod
    def tearDownClass(cls):
        cls.scratch.remove()

    def overlap(self, label, first, second):
        """Runs first and second at once on a fresh folder, ROUNDS times;
        returns the problems found, one line each."""
        edits = {COPYRIGHT_TAG: first[0] == "copyright" or second[0] == "copyright",
                 DESCRIPTION_TAG: first[0] == "describe" or second[0] == "describe"}
        edited = [tag for tag, on in edits.items() if on]
        problems = []
        for round_number in range(1, h.ROUNDS + 1):
            folder = self.scratch.sub(f"{label}-{round_number}")
            made = h.fill_folder(folder, h.COPIES)
            check = h.PhotoFolderCheck(folder, made)
            runs = [h.Started(["--json", "--yes"] + command + [folder], self.home) for command in (first, second)]
            results = [run.finish() for run in runs]
            for result in results:
                if result.timed_out or result.returncode not in (0, 1) or result.json is None:
                    problems.append(f"round {round_number}: {result.describe()}")
            listed = [r.failures() for r in results]
            commands = [first, second]
            allowed = {}
            for name, source in made.items():
                expected = dict(self.old_values[source])
                for command, failures in zip(commands, listed):
                    tag = COPYRIGHT_TAG if command[0] == "copyright" else DESCRIPTION_TAG
                    if name not in failures:
                        expected[tag] = self.new_values[source][tag]
                allowed[name] = [{tag: expected[tag] for tag in edited}]
            found = check.problems(allowed, edited)
            leftovers = h.temporary_files(folder)
            print(f"{label} round {round_number}: {len(made)} photos, exits "
                  f"{[r.returncode for r in results]}, listed {[len(f) for f in listed]}, "
                  f"{len(found)} photos wrong ({sum('does not decode' in p for p in found)} do not decode), "
                  f"{len(leftovers)} hidden files left, "
                  f"{' + '.join(f'{r.seconds:.2f}' for r in results)} s", flush=True)
            problems += [f"round {round_number}: {p}" for p in found[:20]]
            problems += [f"round {round_number}: left behind {n}" for n in leftovers[:5]]
            shutil.rmtree(folder)
        return problems

    def test_copyright_and_describe_at_once(self):
        problems = self.overlap("copyright+describe", COPYRIGHT, DESCRIBE)
        h.assert_no_problems(self, problems)

    def test_same_copyright_twice_at_once(self):
        problems = self.overlap("copyright-twice", COPYRIGHT, COPYRIGHT)
        h.assert_no_problems(self, problems)


def held_folder_run(test, folder, home):
    """The number of the openat call at which a copyright run on folder is
    halfway through its photos (counted on a run of its own)."""
    args = ["--json"] + EDITOR + [folder]
    _, calls = h.traced_calls(args, home, ["openat"])
    # The counting run edited the photos: the held run gets fresh ones.
    photo_opens = [i for i, (_, text) in enumerate(calls) if folder in text]
    test.assertTrue(photo_opens, "the counting run opened no photo")
    middle = photo_opens[len(photo_opens) // 2]
    number = h.call_number(calls, "openat", after=middle)
    return number


class FolderLock(unittest.TestCase):
    """A run holding a folder makes every other writing run on it (or on one
    of its photos) wait with a message; a waiting run ends with exit 3 on
    SIGINT or SIGTERM and changes nothing; export and dump do not wait."""

    PHOTOS = 16

    def setUp(self):
        h.require("strace")
        self.scratch = h.Scratch("lock")
        self.home = self.scratch.sub("home")
        os.makedirs(self.home)
        self.source = self.scratch.sub("source.jpg")
        shutil.copyfile(h.camera_photos()[0], self.source)
        # Every case gets a folder of its own, named like the counted one so
        # that the held run makes the same calls.
        self.cases = 0
        self.folder = self.scratch.sub("photos-00")
        h.fill_folder(self.folder, self.PHOTOS)
        self.stop_at = held_folder_run(self, self.folder, self.home)
        self.fresh_folder()

    def tearDown(self):
        self.scratch.remove()

    def fresh_folder(self):
        self.cases += 1
        self.folder = self.scratch.sub(f"photos-{self.cases:02d}")
        h.fill_folder(self.folder, self.PHOTOS)

    def hold(self):
        """A copyright run on the folder, stopped halfway."""
        holder = h.Started(["--json"] + EDITOR + [self.folder], self.home,
                           prefix=h.injected("openat", self.stop_at, "STOP"))
        pid = h.stopped_program(holder, timeout=20)
        if pid is None:
            self.fail("the holding run did not stop halfway: " + holder.finish().describe())
        return holder, pid

    def release(self, holder, pid):
        os.kill(pid, signal.SIGCONT)
        return holder.finish()

    def test_writing_runs_wait_and_end_on_a_signal(self):
        # (command, options, one photo instead of the folder, signal that ends the wait)
        cases = [
            ("file-time", [], False, signal.SIGTERM),
            ("shift-time", ["--time", "+02:00:00"], False, signal.SIGINT),
            ("prefix", ["--add", "Trip_"], False, signal.SIGTERM),
            ("restore", ["--source", self.source], False, signal.SIGINT),
            ("create", [], False, signal.SIGTERM),
            ("copyright", COPYRIGHT[1:], False, signal.SIGINT),
            ("describe", DESCRIBE[1:], False, signal.SIGTERM),
            ("wipe", [], False, signal.SIGTERM),
            ("copyright", COPYRIGHT[1:], True, signal.SIGTERM),
            ("shift-time", ["--days", "1"], True, signal.SIGINT),
        ]
        problems = []
        for command, options, one_photo, ending in cases:
            with self.subTest(command=command, one_photo=one_photo):
                path = self.folder
                if one_photo:
                    path = os.path.join(self.folder, sorted(os.listdir(self.folder))[0])
                holder, pid = self.hold()
                before = h.snapshot(self.folder)
                waiting = h.Started(["--yes", command] + options + [path], self.home)
                h.wait_for(lambda: h.WAITING_TEXT in waiting.stderr_so_far() or not waiting.running(), 10)
                time.sleep(0.5)
                still_running = waiting.running()
                waiting.signal(ending)
                run = waiting.finish(timeout=30)
                after = h.snapshot(self.folder)
                released = self.release(holder, pid)
                label = f"{command} {os.path.basename(path)}"
                if not still_running:
                    problems.append(f"{label}: did not wait ({run.describe()})")
                if run.stderr.count(h.WAITING_TEXT) != 1:
                    problems.append(f"{label}: printed the waiting line {run.stderr.count(h.WAITING_TEXT)} times")
                if run.returncode != 3:
                    problems.append(f"{label}: {signal.Signals(ending).name} while waiting gave {run.returncode}, "
                                    "not 3")
                if before != after:
                    problems.append(f"{label}: the waiting run changed {h.snapshot_changes(before, after)[:3]}")
                if released.returncode != 0:
                    problems.append(f"{label}: the holding run ended {released.returncode}")
                print(f"{label}: waited {still_running}, exit {run.returncode} after {run.seconds:.1f} s",
                      flush=True)
                self.fresh_folder()
        h.assert_no_problems(self, problems)

    def test_waiting_run_goes_on_when_the_folder_is_free(self):
        holder, pid = self.hold()
        waiting = h.Started(["--json"] + COPYRIGHT + [self.folder], self.home)
        h.wait_for(lambda: h.WAITING_TEXT in waiting.stderr_so_far() or not waiting.running(), 10)
        waited = waiting.running()
        released = self.release(holder, pid)
        run = waiting.finish()
        self.assertTrue(waited, "the second run did not wait: " + run.describe())
        self.assertEqual(0, released.returncode, released.describe())
        self.assertEqual(0, run.returncode, run.describe())
        self.assertEqual(1, run.stderr.count(h.WAITING_TEXT), run.stderr)
        names = sorted(n for n in os.listdir(self.folder) if not n.startswith("."))
        values = h.edited_values(self.folder, names, [COPYRIGHT_TAG])
        both = [n for n in names if "Jane Doe" in str(values[n][COPYRIGHT_TAG])
                and "Ann Smith" in str(values[n][COPYRIGHT_TAG])]
        self.assertEqual(names, both, "photos without both notices")

    def test_export_and_dump_do_not_wait(self):
        holder, pid = self.hold()
        first = sorted(n for n in os.listdir(self.folder) if not n.startswith("."))[0]
        try:
            export = h.run_cli(["--json", "export", "--to", self.scratch.sub("out.csv"), self.folder], self.home,
                               timeout=20)
            dump = h.run_cli(["dump", os.path.join(self.folder, first)], self.home, timeout=20)
        finally:
            self.release(holder, pid)
        self.assertFalse(export.timed_out, "export waited for the folder")
        self.assertFalse(dump.timed_out, "dump waited for the folder")
        self.assertNotIn(h.WAITING_TEXT, export.stderr + dump.stderr)
        self.assertEqual(0, dump.returncode, dump.describe())


class ChangedByAnotherProgram(unittest.TestCase):
    """A photo replaced by another program after the run opened it is left as
    the other program left it, and the run lists it."""

    MESSAGE = "Changed by another program - left as it is"

    def setUp(self):
        h.require("strace", "exiftool")
        self.scratch = h.Scratch("changed")
        self.home = self.scratch.sub("home")
        os.makedirs(self.home)
        self.folder = self.scratch.sub("photos")
        photos = h.camera_photos()
        self.photo_source, self.other_source = photos[0], photos[1]

    def tearDown(self):
        self.scratch.remove()

    def fresh(self):
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        photo = os.path.join(self.folder, "photo.jpg")
        shutil.copyfile(self.photo_source, photo)
        return photo

    def test_photo_replaced_while_the_run_has_it(self):
        # (command, system call at which the run is held, which call: first on the photo or on any file beside it)
        cases = [
            ("copyright grows the segment (rewrite)", COPYRIGHT, ("fsync", "fdatasync", "syncfs")),
            ("shift-time (patch in place)", ["shift-time", "--time", "+01:00:00"], ("pread64", "read")),
            ("describe grows the segment (rewrite)", DESCRIBE, ("pread64", "read")),
        ]
        problems = []
        for label, command, syscalls in cases:
            with self.subTest(case=label):
                photo = self.fresh()
                args = ["--json", "--yes"] + command + [photo]
                _, calls = h.traced_calls(args, self.home, list(syscalls))
                held = None
                for syscall in syscalls:
                    number = h.call_number(calls, syscall, lambda text: self.folder in text)
                    if number is not None:
                        held = (syscall, number)
                        break
                if held is None:
                    problems.append(f"{label}: the run made no {'/'.join(syscalls)} call on the photo")
                    continue
                photo = self.fresh()
                started = h.Started(args, self.home, prefix=h.injected(held[0], held[1], "STOP"))
                pid = h.stopped_program(started)
                if pid is None:
                    problems.append(f"{label}: not held at {held}: {started.finish().describe()}")
                    continue
                # Another program replaces the photo with its own version.
                replacement = os.path.join(self.folder, "other.tmp")
                shutil.copyfile(self.other_source, replacement)
                os.rename(replacement, photo)
                os.kill(pid, signal.SIGCONT)
                run = started.finish()
                with open(self.other_source, "rb") as f:
                    other = f.read()
                with open(photo, "rb") as f:
                    now = f.read()
                if now != other:
                    problems.append(f"{label}: the other program's photo was overwritten")
                if run.failures().get("photo.jpg") != self.MESSAGE or run.returncode != 1:
                    problems.append(f"{label}: exit {run.returncode}, failures {run.failures()}")
                if sorted(os.listdir(self.folder)) != ["photo.jpg"]:
                    problems.append(f"{label}: folder holds {sorted(os.listdir(self.folder))}")
        h.assert_no_problems(self, problems)


if __name__ == "__main__":
    h.main()
