#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Failures that come from the operating system are named in the list
message ("Could not read: ..." / "Could not write: ...") and, with --json,
by their errno name; the photo is left as it was and nothing is left beside
it. Folder permission problems, the 64 KB segment limit and exports that
fail are named too."""

import os
import shutil
import subprocess
import unittest

import harness as h

COPYRIGHT = ["copyright", "--photographer", "Jane Doe, Example Picture Archive, Lake Constance",
             "--photographer-year", "2008"]
SHIFT = ["shift-time", "--time", "+01:00:00"]
FOLDER_UNREADABLE = "Folder could not be read: Permission denied"
SEGMENT_LIMIT = "Metadata would exceed the 64 KB segment limit"


class FailuresNamed(unittest.TestCase):

    def setUp(self):
        h.require()
        self.scratch = h.Scratch("named")
        os.chmod(self.scratch.path, 0o755)
        self.home = self.scratch.sub("home")
        os.makedirs(self.home)
        self.count = 0
        self.mounts = []

    def tearDown(self):
        for mount in reversed(self.mounts):
            subprocess.run(["umount", "-l", mount], stderr=subprocess.DEVNULL)
        self.scratch.remove()

    def folder(self, count=3, owner=None):
        self.count += 1
        path = self.scratch.sub(f"photos-{self.count:03d}")
        h.fill_folder(path, count)
        if owner is not None:
            for name in [""] + os.listdir(path):
                os.chown(os.path.join(path, name), owner, owner)
        return path

    def failure_problems(self, label, run, folder, message, errno_name, names=None):
        """Each photo (or those named) listed with message and errno name."""
        problems = []
        names = names or sorted(n for n in os.listdir(folder) if not n.startswith("."))
        listed = {f["file"]: f for f in (run.json or {}).get("failures", [])}
        for name in names:
            failure = listed.get(name)
            if failure is None or failure.get("message") != message or failure.get("errno") != errno_name:
                problems.append(f"{label}: {name} listed as {failure}, not {message!r} {errno_name}")
        if run.returncode != 1:
            problems.append(f"{label}: exit {run.returncode}, not 1")
        return problems

    def unprivileged(self):
        """(prefix, owner) that make permission bits count: nobody when run as root."""
        if os.geteuid() != 0:
            return [], None
        h.require("setpriv")
        return h.AS_NOBODY, 65534

    def tmpfs(self, name, size):
        h.require_root()
        path = self.scratch.sub(name)
        os.makedirs(path)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", path],
                                 stderr=subprocess.PIPE)
        if mounted.returncode != 0:
            raise unittest.SkipTest("can't mount a tmpfs: " + mounted.stderr.decode(errors="replace"))
        self.mounts.append(path)
        return path

    @staticmethod
    def fill_up(path, keep=0):
        """Takes every free block of the file system at path but keep bytes."""
        filler = os.path.join(path, "filler")
        with open(filler, "wb", buffering=0) as f:
            try:
                while True:
                    f.write(b"\0" * 4096)
            except OSError:
                pass
        os.truncate(filler, max(0, os.path.getsize(filler) - keep))

    def test_full_disk_read_only_file_system_and_full_temporary_folder(self):
        disk = self.tmpfs("small-disk", "4m")
        folder = os.path.join(disk, "photos")
        h.fill_folder(folder, 3, [p for p in h.camera_photos() if os.path.getsize(p) < 200000])
        self.fill_up(disk)
        before = h.snapshot(folder)
        problems = []
        run = h.run_cli(["--json"] + COPYRIGHT + [folder], self.home)
        problems += self.failure_problems("copyright on a full disk", run, folder,
                                          "Could not write: No space left on device", "ENOSPC")
        if h.snapshot(folder) != before:
            problems.append(f"full disk: {h.snapshot_changes(before, h.snapshot(folder))}")
        # Exports that fill the disk halfway leave no new file.
        source = self.folder(60)
        for free in (12 << 10, 96 << 10):
            os.unlink(os.path.join(disk, "filler"))
            self.fill_up(disk, free)
            for export_format, target in (("csv", "out.csv"), ("sqlite", "out.sqlite"), ("xlsx", "out.xlsx")):
                run = h.run_cli(["--json", "--yes", "export", "--format", export_format, "--to",
                                 os.path.join(disk, target), source], self.home)
                left = sorted(set(os.listdir(disk)) - {"photos", "filler"})
                print(f"{export_format} export with {free >> 10} KiB free: exit {run.returncode}, left {left}",
                      flush=True)
                if run.returncode != 0 and left:
                    problems.append(f"{export_format} export with {free >> 10} KiB free: exit {run.returncode}, "
                                    f"left {left}")
                for name in left:
                    os.unlink(os.path.join(disk, name))
        # A full temporary folder: every photo done or named as not written.
        self.fill_up(disk)
        on_disk = self.folder()
        run = h.run_cli(["--json"] + COPYRIGHT + [on_disk], self.home, env={"TMPDIR": disk})
        for failure in (run.json or {}).get("failures", []):
            if failure.get("errno") != "ENOSPC":
                problems.append(f"full temporary folder: {failure}")
        if run.json is None:
            problems.append(f"full temporary folder: {run.describe()}")
        # The same file system read-only.
        subprocess.run(["mount", "-o", "remount,ro", disk], check=True)
        for command in (COPYRIGHT, SHIFT):
            run = h.run_cli(["--json"] + command + [folder], self.home)
            problems += self.failure_problems(f"{command[0]} on a read-only file system", run, folder,
                                              "Could not write: Read-only file system", "EROFS")
        h.assert_no_problems(self, problems)

    def test_permissions(self):
        prefix, owner = self.unprivileged()
        problems = []
        # A read-only photo, patched in place.
        folder = self.folder(owner=owner)
        for name in os.listdir(folder):
            os.chmod(os.path.join(folder, name), 0o444)
        run = h.run_cli(["--json"] + SHIFT + [folder], self.home, prefix=prefix)
        problems += self.failure_problems("shift-time on read-only photos", run, folder,
                                          "Could not write: Permission denied", "EACCES")
        # A read-only folder: a rewrite can't be written beside the photo.
        folder = self.folder(owner=owner)
        os.chmod(folder, 0o555)
        before = h.snapshot(folder)
        run = h.run_cli(["--json"] + COPYRIGHT + [folder], self.home, prefix=prefix)
        problems += self.failure_problems("copyright in a read-only folder", run, folder,
                                          "Could not write: Permission denied", "EACCES")
        if h.snapshot(folder) != before:
            problems.append("read-only folder: photos changed")
        # A folder without execute or without read permission.
        for label, mode in (("execute", 0o666), ("read", 0o333)):
            folder = self.folder(owner=owner)
            os.chmod(folder, mode)
            for command in (COPYRIGHT, ["export", "--to", self.scratch.sub(f"out-{label}.csv")]):
                run = h.run_cli(["--json"] + command + [folder], self.home, prefix=prefix)
                texts = [m.get("text", "") for m in (run.json or {}).get("messages", [])]
                if run.returncode != 2 or not any(FOLDER_UNREADABLE in t for t in texts):
                    problems.append(f"{command[0]} on a folder without {label} permission: "
                                    f"exit {run.returncode}, {texts}")
            os.chmod(folder, 0o755)
        # Export of an unreadable photo lists it.
        folder = self.folder(owner=owner)
        unreadable = sorted(os.listdir(folder))[0]
        os.chmod(os.path.join(folder, unreadable), 0o000)
        # The export itself goes where the user running it may write.
        out = self.scratch.sub("out-unreadable")
        os.makedirs(out)
        if owner is not None:
            os.chown(out, owner, owner)
        target = os.path.join(out, "unreadable.csv")
        run = h.run_cli(["--json", "export", "--to", target, folder], self.home, prefix=prefix)
        problems += self.failure_problems("export of an unreadable photo", run, folder,
                                          "Could not read: Permission denied", "EACCES", [unreadable])
        h.assert_no_problems(self, problems)

    def test_injected_input_output_errors(self):
        h.require("strace")
        # (label, command, system call, errno name, list message); the call is the run's first on a photo.
        cases = [
            ("read error", SHIFT, "pread64", "EIO", "Could not read: Input/output error"),
            ("write error in place", SHIFT, "pwrite64", "EIO", "Could not write: Input/output error"),
            ("file too large", COPYRIGHT, "write", "EFBIG", "Could not write: File too large"),
        ]
        problems = []
        for label, command, syscall, errno_name, message in cases:
            counted = self.folder(1)
            _, calls = h.traced_calls(["--json"] + command + [counted], self.home, [syscall])
            number = h.call_number(calls, syscall, lambda text: counted in text)
            if number is None:
                problems.append(f"{label}: the run made no {syscall} call on the photo")
                continue
            folder = self.folder(1)
            before = h.snapshot(folder)
            run = h.run_cli(["--json"] + command + [folder], self.home, prefix=h.failing(syscall, number, errno_name))
            problems += self.failure_problems(label, run, folder, message, errno_name)
            if h.snapshot(folder) != before:
                problems.append(f"{label}: {h.snapshot_changes(before, h.snapshot(folder))}")
        h.assert_no_problems(self, problems)

    def test_long_name_segment_limit_and_huge_file(self):
        h.require("exiftool")
        problems = []
        # A 255-byte name: the rewrite's temporary name must not be longer than the system allows.
        folder = self.folder(0)
        long_name = ("Ü" * 125) + "x.jpg"
        self.assertEqual(255, len(long_name.encode()))
        shutil.copyfile(h.camera_photos()[0], os.path.join(folder, long_name))
        run = h.run_cli(["--json"] + COPYRIGHT + [folder], self.home)
        if run.returncode != 0:
            problems.append(f"copyright on a 255-byte name: exit {run.returncode}, {run.failures()}")
        # An Exif segment already at its 64 KB limit.
        folder = self.folder(0)
        full = os.path.join(folder, "full.jpg")
        shutil.copyfile(h.sample("cameras/Canon_40D.jpg"), full)
        fill_exif_segment(full, 65533 - 40)
        before = h.snapshot(folder)
        run = h.run_cli(["--json"] + COPYRIGHT + [folder], self.home)
        listed = run.failures().get("full.jpg")
        if listed != SEGMENT_LIMIT or run.returncode != 1:
            problems.append(f"segment at its limit: exit {run.returncode}, listed as {listed!r}")
        if h.snapshot(folder) != before:
            problems.append("segment at its limit: the photo changed")
        # A sparse 3 GB photo: a real head, then zeros.
        folder = self.folder(0)
        huge = os.path.join(folder, "huge.jpg")
        shutil.copyfile(h.camera_photos()[0], huge)
        os.truncate(huge, 3 << 30)
        for command in (SHIFT, ["file-time"], ["export", "--to", self.scratch.sub("huge.csv")]):
            run = h.run_cli(["--json"] + command + [folder], self.home)
            if run.returncode != 0:
                problems.append(f"{command[0]} on a 3 GB photo: exit {run.returncode}, {run.failures()}")
        h.assert_no_problems(self, problems)


def exif_segment_length(path):
    with open(path, "rb") as f:
        data = f.read(1 << 17)
    at = 2
    while at + 4 <= len(data) and data[at] == 0xFF:
        length = int.from_bytes(data[at + 2:at + 4], "big")
        if data[at + 1] == 0xE1 and data[at + 4:at + 10] == b"Exif\0\0":
            return length
        at += 2 + length
    return 0


def fill_exif_segment(path, target):
    """Grows the photo's Exif segment with exiftool (a longer UserComment)
    until its length field is target (within a few bytes)."""
    comment = 1000
    for _ in range(4):
        subprocess.run(["exiftool", "-q", "-overwrite_original", f"-UserComment={'x' * comment}", path],
                       check=True, stdout=subprocess.DEVNULL)
        comment += target - exif_segment_length(path)
    if abs(exif_segment_length(path) - target) > 8:
        raise unittest.SkipTest(f"exiftool made a segment of {exif_segment_length(path)} bytes, not {target}")


if __name__ == "__main__":
    h.main()
