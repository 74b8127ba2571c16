#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""export --to: a bare or relative name writes into the current folder, a
symbolic link is written through (the link kept), and - writes the CSV to
standard output."""

import os
import shutil
import unittest

import harness as h


class ExportTarget(unittest.TestCase):

    def setUp(self):
        h.require()
        self.scratch = h.Scratch("export")
        self.home = self.scratch.sub("home")
        os.makedirs(self.home)
        self.folder = self.scratch.sub("photos")
        h.fill_folder(self.folder, 4)
        self.work = self.scratch.sub("work")
        os.makedirs(os.path.join(self.work, "sub"))
        # The same export to an absolute path, to compare with.
        self.expected_path = self.scratch.sub("expected.csv")
        run = h.run_cli(["export", "--to", self.expected_path, self.folder], self.home)
        self.assertEqual(0, run.returncode, run.describe())
        with open(self.expected_path, "rb") as f:
            self.expected = f.read()

    def tearDown(self):
        self.scratch.remove()

    def test_bare_and_relative_names(self):
        problems = []
        for target in ("x.csv", "sub/y.csv", "./z.csv"):
            run = h.run_cli(["export", "--to", target, self.folder], self.home, cwd=self.work)
            written = os.path.join(self.work, target)
            if run.returncode != 0 or not os.path.isfile(written):
                problems.append(f"--to {target}: exit {run.returncode}, {run.stdout.strip()[:200]}")
            elif open(written, "rb").read() != self.expected:
                problems.append(f"--to {target}: not the export")
        h.assert_no_problems(self, problems)

    def test_link_is_written_through(self):
        elsewhere = self.scratch.sub("elsewhere")
        os.makedirs(elsewhere)
        target = os.path.join(elsewhere, "trip.csv")
        with open(target, "wb") as f:
            f.write(b"old export\r\n")
        link = os.path.join(self.work, "link.csv")
        os.symlink(target, link)
        run = h.run_cli(["--yes", "export", "--to", link, self.folder], self.home)
        problems = []
        if run.returncode != 0:
            problems.append(f"exit {run.returncode}: {run.stdout.strip()[:200]}")
        if not os.path.islink(link) or os.readlink(link) != target:
            problems.append("the link was replaced")
        with open(target, "rb") as f:
            if f.read() != self.expected:
                problems.append("the file the link names does not hold the export")
        if sorted(os.listdir(elsewhere)) != ["trip.csv"] or sorted(os.listdir(self.work)) != ["link.csv", "sub"]:
            problems.append(f"left beside: {os.listdir(elsewhere)} {os.listdir(self.work)}")
        h.assert_no_problems(self, problems)

    def test_standard_output(self):
        run = h.run_cli(["export", "--to", "-", self.folder], self.home, cwd=self.work)
        self.assertEqual(0, run.returncode, run.describe())
        self.assertFalse(os.path.exists(os.path.join(self.work, "-")), "wrote a file named -")
        self.assertEqual(self.expected.decode("utf-8", "replace"), run.stdout)


if __name__ == "__main__":
    h.main()
