#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""kelvane-cli reads a settings file and never writes one; a --settings path
that is not a readable regular text file of at most 1 MiB is a usage error
before anything is touched."""

import os
import shutil
import unittest

import harness as h

INI = b"[Options]\r\nCSVDelimiter=;\r\n"
ONE_MIB = 1 << 20
COMMANDS = h.FUNCTIONS + [("dump", [])]


class SettingsFile(unittest.TestCase):

    def setUp(self):
        h.require()
        self.scratch = h.Scratch("settings")
        os.chmod(self.scratch.path, 0o755)
        self.home = self.scratch.sub("home")
        os.makedirs(self.home)
        self.folder = self.scratch.sub("photos")
        self.fresh()
        self.source = self.scratch.sub("source.jpg")
        shutil.copyfile(h.camera_photos()[0], self.source)

    def tearDown(self):
        self.scratch.remove()

    def fresh(self):
        """A new folder of two photos (the last command may have renamed or wiped them)."""
        shutil.rmtree(self.folder, ignore_errors=True)
        h.fill_folder(self.folder, 2)
        self.photo = os.path.join(self.folder, sorted(os.listdir(self.folder))[0])

    def arguments(self, command, options, case):
        options = [self.source if o == "SOURCE" else o for o in options]
        options = [self.scratch.sub(f"export-{case}.csv") if o == "EXPORT" else o for o in options]
        return [command] + options + [self.photo if command == "dump" else self.folder]

    def test_refused_settings_paths(self):
        elsewhere = self.scratch.sub("elsewhere")
        os.makedirs(elsewhere)
        fifo = os.path.join(elsewhere, "fifo")
        os.mkfifo(fifo)
        unreadable = os.path.join(elsewhere, "unreadable.ini")
        with open(unreadable, "wb") as f:
            f.write(INI)
        os.chmod(unreadable, 0o000)
        too_big = os.path.join(elsewhere, "too-big.ini")
        with open(too_big, "wb") as f:
            f.write(INI + b"; padding\r\n" * ((ONE_MIB // 11) + 1))
        nul_text = os.path.join(elsewhere, "nul.ini")
        with open(nul_text, "wb") as f:
            f.write(INI + b"\0")
        photo_copy = os.path.join(elsewhere, "photo.jpg")
        shutil.copyfile(h.camera_photos()[0], photo_copy)
        cases = [
            ("a missing file in missing folders", self.scratch.sub("no", "such", "folder", "qmre0118.ini")),
            ("a folder", elsewhere),
            ("a FIFO", fifo),
            ("a device", "/dev/null"),
            ("a JPEG photo", photo_copy),
            ("a text with a NUL byte", nul_text),
            ("a file over 1 MiB", too_big),
        ]
        # root reads every file: the unreadable case runs as nobody.
        as_nobody = os.geteuid() == 0
        if not as_nobody or h.have("setpriv"):
            cases.append(("an unreadable file", unreadable))
        problems = []
        for label, path in cases:
            for command in ("copyright", "dump", "export"):
                options = dict(COMMANDS)[command]
                args = self.arguments(command, options, "refused")
                prefix = []
                if label == "an unreadable file" and as_nobody:
                    prefix = h.AS_NOBODY
                before = h.snapshot(elsewhere), h.snapshot(self.folder)
                run = h.run_cli(["--settings", path] + args, self.home, timeout=10, prefix=prefix)
                after = h.snapshot(elsewhere), h.snapshot(self.folder)
                what = f"--settings {label} ({command})"
                if run.timed_out:
                    problems.append(f"{what}: hangs")
                elif run.returncode != 64:
                    problems.append(f"{what}: exit {run.returncode}, not 64")
                if not run.stderr.startswith("kelvane-cli: --settings"):
                    problems.append(f"{what}: standard error {run.stderr[:120]!r}")
                if before != after:
                    problems.append(f"{what}: touched {h.snapshot_changes(before[0], after[0])} "
                                    f"{h.snapshot_changes(before[1], after[1])}")
                if os.path.exists(self.scratch.sub("no")):
                    problems.append(f"{what}: created the missing folders")
                    shutil.rmtree(self.scratch.sub("no"))
                if os.path.exists(self.scratch.sub("export-refused.csv")):
                    os.unlink(self.scratch.sub("export-refused.csv"))
        h.assert_no_problems(self, problems)

    def test_accepted_settings_files_are_only_read(self):
        elsewhere = self.scratch.sub("elsewhere")
        os.makedirs(elsewhere)
        system_file = os.path.join(elsewhere, "hosts")
        with open(system_file, "wb") as f:
            f.write(b"127.0.0.1 localhost\n::1 localhost\n")
        os.chmod(system_file, 0o644)
        link = self.scratch.sub("link.ini")
        os.symlink(system_file, link)
        empty = os.path.join(elsewhere, "empty.ini")
        open(empty, "wb").close()
        exactly = os.path.join(elsewhere, "one-mib.ini")
        with open(exactly, "wb") as f:
            f.write(INI + b";" * (ONE_MIB - len(INI) - 2) + b"\r\n")
        plain = os.path.join(elsewhere, "qmre0118.ini")
        with open(plain, "wb") as f:
            f.write(INI)
        cases = [("a link to a file outside", link), ("an empty file", empty), ("exactly 1 MiB", exactly),
                 ("an INI file", plain)]
        problems = []
        for label, path in cases:
            for number, (command, options) in enumerate(COMMANDS):
                before = h.snapshot(elsewhere), os.path.islink(link) and os.readlink(link)
                run = h.run_cli(["--yes", "--settings", path] + self.arguments(command, options, number), self.home,
                                timeout=60)
                after = h.snapshot(elsewhere), os.path.islink(link) and os.readlink(link)
                what = f"--settings {label} ({command})"
                if run.timed_out or run.returncode == 64:
                    problems.append(f"{what}: refused or hung: {run.describe()}")
                if before != after:
                    problems.append(f"{what}: wrote {h.snapshot_changes(before[0], after[0])} {before[1]} {after[1]}")
                self.fresh()
        h.assert_no_problems(self, problems)

    def test_default_settings_file_is_never_written(self):
        config = os.path.join(self.home, ".config")
        problems = []
        # No settings folder: none is made.
        for number, (command, options) in enumerate(COMMANDS):
            run = h.run_cli(["--yes"] + self.arguments(command, options, number), self.home)
            if os.path.exists(config):
                problems.append(f"{command}: made {sorted(os.listdir(config))} in an empty settings folder "
                                f"(exit {run.returncode})")
                shutil.rmtree(config)
            self.fresh()
        # A settings file of the desktop program: read, never written.
        kelvane = os.path.join(config, "kelvane")
        os.makedirs(kelvane)
        settings = os.path.join(kelvane, "qmre0118.ini")
        with open(settings, "wb") as f:
            f.write(INI)
        before = h.snapshot(kelvane), os.stat(settings).st_ino
        for number, (command, options) in enumerate(COMMANDS):
            h.run_cli(["--yes"] + self.arguments(command, options, f"d{number}"), self.home)
            after = h.snapshot(kelvane), os.stat(settings).st_ino if os.path.exists(settings) else None
            if after != before:
                problems.append(f"{command}: the settings file changed: {h.snapshot_changes(before[0], after[0])}"
                                f"{' (replaced)' if after[1] != before[1] else ''}")
                shutil.rmtree(kelvane)
                os.makedirs(kelvane)
                with open(settings, "wb") as f:
                    f.write(INI)
                before = h.snapshot(kelvane), os.stat(settings).st_ino
            self.fresh()
        h.assert_no_problems(self, problems)


if __name__ == "__main__":
    h.main()
