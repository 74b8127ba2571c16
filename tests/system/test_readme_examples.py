#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The README's kelvane-cli examples, run exactly as printed, one after the
other, in a home folder of their own holding the folders they name
(~/Pictures/2008-trip/ with ten photos taken on one trip, ~/Pictures/originals/,
~/Pictures/edited/ and ~/Pictures/scans/ with photos without metadata,
~/Pictures/to-destroy/, ~/exports/). Each must go through (exit 0, or 1 where a
folder holds a photo the function can't use) and leave what the next one
names."""
import os
import shutil
import subprocess

import harness as h

README = os.path.join(h.REPO, "README.md")


def examples():
    """The command lines of the README's block of examples."""
    with open(README, encoding="utf-8") as f:
        lines = f.read().splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("One example per command"))
    found = []
    for line in lines[start + 1:]:
        if line and not line.startswith("    "):
            break
        if line.startswith("    kelvane-cli "):
            found.append(line.strip())
    return found


class ReadmeExamples(h.unittest.TestCase):
    def test_every_example_runs_as_printed(self):
        h.require("exiftool")
        scratch = h.Scratch("readme")
        self.addCleanup(scratch.remove)
        home = scratch.sub("home")
        pictures = os.path.join(home, "Pictures")
        trip = os.path.join(pictures, "2008-trip")
        for folder in ("2008-trip", "originals", "edited", "scans", "to-destroy"):
            os.makedirs(os.path.join(pictures, folder))
        os.makedirs(os.path.join(home, "exports"))
        for name in ("DSCN0010", "DSCN0021", "DSCN0025", "DSCN0027"):
            shutil.copyfile(h.sample(f"gps/{name}.jpg"), os.path.join(trip, f"{name}.jpg"))
        # Later photos of the trip, so that ten photos number from 01.
        for number in range(31, 37):
            shutil.copyfile(h.sample("gps/DSCN0027.jpg"), os.path.join(trip, f"DSCN00{number}.jpg"))
        shutil.copyfile(h.sample("gps/DSCN0010.jpg"), os.path.join(pictures, "originals", "DSCN0010.jpg"))
        for name in ("Pentax_K10D_jfif_only.jpg", "image01137.jpg"):
            shutil.copyfile(h.sample(f"no-exif/{name}"), os.path.join(pictures, "edited", name))
            shutil.copyfile(h.sample(f"no-exif/{name}"), os.path.join(pictures, "scans", name))
        with open(os.path.join(pictures, "to-destroy", "old-draft.txt"), "w") as f:
            f.write("nothing to keep\n")
        for root, _, files in os.walk(home):
            for name in files:
                os.chmod(os.path.join(root, name), 0o644)

        environment = h.cli_env(home)
        environment["PATH"] = os.path.dirname(h.cli_path()) + os.pathsep + environment["PATH"]
        commands = examples()
        self.assertGreater(len(commands), 15)
        for command in commands:
            run = subprocess.run(["bash", "-c", command], env=environment, cwd=home, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
            self.assertIn(run.returncode, (0, 1), f"{command}\n{run.stdout.decode()}\n{run.stderr.decode()}")
            if "--sequence --add Trip_" in command:
                self.assertTrue(os.path.exists(os.path.join(trip, "01Trip_DSCN0010.jpg")), os.listdir(trip))
        self.assertTrue(os.path.exists(os.path.join(trip, "Trip_DSCN0010.jpg")), os.listdir(trip))
        self.assertEqual(os.listdir(os.path.join(pictures, "to-destroy")), [])
        for name in ("trip.csv", "photos.sqlite", "trip.xlsx"):
            self.assertTrue(os.path.getsize(os.path.join(home, "exports", name)) > 0, name)


if __name__ == "__main__":
    h.main()
