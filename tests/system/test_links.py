#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Symbolic links in a folder, and a single-photo path that is a link: never
followed, changed or replaced by any function; listed with their own message."""

import os
import shutil
import stat
import unittest

import harness as h

MESSAGE = "Symbolic link - not followed"

FUNCTIONS = h.FUNCTIONS


class Links(unittest.TestCase):

    def setUp(self):
        h.require()
        self.scratch = h.Scratch("links")
        self.home = self.scratch.sub("home")
        os.makedirs(self.home)
        self.elsewhere = self.scratch.sub("elsewhere")
        os.makedirs(self.elsewhere)
        self.source = self.scratch.sub("source.jpg")
        shutil.copyfile(h.camera_photos()[0], self.source)
        # Targets outside the folder, read-only as a user keeps what must not change:
        # a camera photo and a photo without metadata (what restore and create work on).
        self.targets = {"link.jpg": os.path.join(self.elsewhere, "keep.jpg"),
                        "bare-link.jpg": os.path.join(self.elsewhere, "keep-bare.jpg")}
        shutil.copyfile(h.camera_photos()[1], self.targets["link.jpg"])
        shutil.copyfile(h.sample("no-exif/Pentax_K10D_jfif_only.jpg"), self.targets["bare-link.jpg"])
        for target in self.targets.values():
            os.chmod(target, 0o444)
        self.kept = h.snapshot(self.elsewhere)
        self.cases = 0

    def tearDown(self):
        self.scratch.remove()

    def folder_with_links(self):
        self.cases += 1
        folder = self.scratch.sub(f"photos-{self.cases}")
        h.fill_folder(folder, 3)
        shutil.copyfile(h.sample("no-exif/branches.jpg"), os.path.join(folder, "scan.jpg"))
        for name, target in self.targets.items():
            os.symlink(target, os.path.join(folder, name))
        return folder

    def arguments(self, command, options, path):
        options = [self.source if o == "SOURCE" else o for o in options]
        options = [self.scratch.sub(f"export-{self.cases}.csv") if o == "EXPORT" else o for o in options]
        return ["--json", "--yes", command] + options + [path]

    def link_problems(self, label, run, folder, names):
        problems = []
        failures = run.failures()
        for name in names:
            if failures.get(name) != MESSAGE:
                problems.append(f"{label}: {name} listed as {failures.get(name)!r}")
            path = os.path.join(folder, name)
            if not os.path.islink(path) or os.readlink(path) != self.targets[name]:
                problems.append(f"{label}: the link {name} was changed or removed")
        if run.returncode != 1:
            problems.append(f"{label}: exit {run.returncode}, not 1")
        kept = h.snapshot(self.elsewhere)
        if kept != self.kept:
            problems.append(f"{label}: a link's target changed: {h.snapshot_changes(self.kept, kept)}")
            for target in self.targets.values():
                os.chmod(target, stat.S_IWUSR)
                os.unlink(target)
            shutil.copyfile(h.camera_photos()[1], self.targets["link.jpg"])
            shutil.copyfile(h.sample("no-exif/Pentax_K10D_jfif_only.jpg"), self.targets["bare-link.jpg"])
            for target in self.targets.values():
                os.chmod(target, 0o444)
            self.kept = h.snapshot(self.elsewhere)
        return problems

    def test_links_in_a_folder_are_listed_and_left_alone(self):
        problems = []
        for command, options in FUNCTIONS:
            folder = self.folder_with_links()
            run = h.run_cli(self.arguments(command, options, folder), self.home)
            problems += self.link_problems(f"{command} on the folder", run, folder, sorted(self.targets))
            if command == "export":
                with open(self.scratch.sub(f"export-{self.cases}.csv"), "rb") as f:
                    exported = f.read()
                if b"link.jpg" in exported:
                    problems.append("export: a link's target was exported")
        h.assert_no_problems(self, problems)

    def test_single_photo_path_that_is_a_link(self):
        problems = []
        for command, options in FUNCTIONS:
            for name in sorted(self.targets):
                if command in ("restore", "create") and name == "link.jpg":
                    continue
                folder = self.folder_with_links()
                run = h.run_cli(self.arguments(command, options, os.path.join(folder, name)), self.home)
                problems += self.link_problems(f"{command} on {name}", run, folder, [name])
        h.assert_no_problems(self, problems)


if __name__ == "__main__":
    h.main()
