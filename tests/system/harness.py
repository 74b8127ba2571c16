# SPDX-License-Identifier: GPL-2.0-or-later
"""Shared tools of the system tests: scratch folders of real photos, kelvane-cli
runs, folder snapshots, the "old bytes or complete new version" check, and
kills at chosen system calls through strace.

Each test file is one CTest test. It exits 0 when its cases pass, 1 when one
fails, and 77 (skipped) when everything it needs is missing. Sizes come from
the environment so that CI runs short and a developer can run long:

  KELVANE_CLI                the program under test (CTest passes it)
  KELVANE_SAMPLES            the sample photos (default ../shared/samples)
  KELVANE_SYSTEM_COPIES      photos in a folder of the overlapping runs (300)
  KELVANE_SYSTEM_ROUNDS      rounds of overlapping runs and random kills (2)
  KELVANE_SYSTEM_KILL_COPIES photos in a folder of the kill tests (12)
  KELVANE_SYSTEM_KILL_POINTS kill points per system call and command (3)
  KELVANE_SYSTEM_SEED        random seed (printed by every test that draws one)
  KELVANE_SYSTEM_DIR         where scratch folders go (default $TMPDIR)
"""

import hashlib
import json
import os
import random
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))

SKIPPED = 77
RUN_TIMEOUT = 120
HIDDEN_TEMP_PREFIX = ".kelvane-tmp-"
WAITING_TEXT = "Waiting for another run on this folder to finish"


def env_int(name, default):
    try:
        return max(1, int(os.environ.get(name, default)))
    except ValueError:
        return default


COPIES = env_int("KELVANE_SYSTEM_COPIES", 300)
ROUNDS = env_int("KELVANE_SYSTEM_ROUNDS", 2)
KILL_COPIES = env_int("KELVANE_SYSTEM_KILL_COPIES", 12)
KILL_POINTS = env_int("KELVANE_SYSTEM_KILL_POINTS", 3)


def cli_path():
    return os.environ.get("KELVANE_CLI", os.path.join(REPO, "build", "bin", "kelvane-cli"))


def samples_path():
    default = os.environ.get("KELVANE_SAMPLES_DEFAULT") or os.path.join(REPO, "..", "shared", "samples")
    return os.environ.get("KELVANE_SAMPLES", default)


def seeded_random(test_name):
    seed = int(os.environ.get("KELVANE_SYSTEM_SEED", random.randrange(1 << 30)))
    print(f"{test_name}: KELVANE_SYSTEM_SEED={seed}", flush=True)
    return random.Random(seed)


def have(program):
    return shutil.which(program) is not None


def require(*programs):
    """Skips the calling test when the program or a named tool is missing."""
    if not os.access(cli_path(), os.X_OK):
        raise unittest.SkipTest(f"no kelvane-cli at {cli_path()}")
    for program in programs:
        if not have(program):
            raise unittest.SkipTest(f"{program} is not installed")


# Runs a command as nobody, for the cases where root's rights would hide a
# permission problem.
AS_NOBODY = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"]


def require_root():
    if os.geteuid() != 0:
        raise unittest.SkipTest("needs root (mounts a small file system)")


# --- sample photos -------------------------------------------------------------

_camera_photos = None


def camera_photos():
    """The sample photos every peer reads cleanly: a taken time (exiftool's
    reading in oracle/) and image data that djpeg decodes without a warning."""
    global _camera_photos
    if _camera_photos is not None:
        return _camera_photos
    root = samples_path()
    if not os.path.isdir(os.path.join(root, "oracle")):
        raise unittest.SkipTest(f"no sample photos at {root} (set KELVANE_SAMPLES)")
    require("djpeg", "exiftool")
    found = []
    for folder, _, names in sorted(os.walk(root)):
        relative = os.path.relpath(folder, root)
        if relative.split(os.sep)[0] in ("oracle", "broken"):
            continue
        for name in sorted(names):
            if not name.lower().endswith(".jpg"):
                continue
            oracle = os.path.join(root, "oracle", relative, name[:-4] + ".json")
            try:
                with open(oracle, encoding="utf-8") as f:
                    reading = json.load(f)[0]
            except (OSError, ValueError, IndexError):
                continue
            if not reading.get("ExifIFD:DateTimeOriginal"):
                continue
            path = os.path.join(folder, name)
            if decode_error(path) is None:
                found.append(path)
    if not found:
        raise unittest.SkipTest(f"no camera photo with a taken time below {root}")
    _camera_photos = found
    return found


def sample(relative):
    path = os.path.join(samples_path(), relative)
    if not os.path.isfile(path):
        raise unittest.SkipTest(f"sample {relative} is missing")
    return path


# Names as cameras, phones and people give them.
NAME_PATTERNS = ["{n:04d}_{stem}.jpg", "IMG {n:04d} {stem}.JPG", "{stem}-{n}.jpeg", "Ürlaub {n:03d} – {stem}.jpg"]


def fill_folder(folder, count, photos=None):
    """Copies count photos (the camera samples in turn) into folder under
    varied names; returns {name: source path}."""
    photos = photos or camera_photos()
    os.makedirs(folder, exist_ok=True)
    made = {}
    for n in range(count):
        source = photos[n % len(photos)]
        stem = os.path.splitext(os.path.basename(source))[0]
        name = NAME_PATTERNS[n % len(NAME_PATTERNS)].format(n=n + 1, stem=stem)
        target = os.path.join(folder, name)
        shutil.copyfile(source, target)
        os.chmod(target, 0o644)
        made[name] = source
    return made


class Scratch:
    """A scratch folder removed afterwards (permissions restored first)."""

    def __init__(self, label):
        base = os.environ.get("KELVANE_SYSTEM_DIR") or None
        if base:
            os.makedirs(base, exist_ok=True)
        self.path = tempfile.mkdtemp(prefix=f"kelvane-system-{label}-", dir=base)

    def sub(self, *parts):
        return os.path.join(self.path, *parts)

    def remove(self):
        for folder, dirs, files in os.walk(self.path):
            for name in dirs:
                path = os.path.join(folder, name)
                if not os.path.islink(path):
                    os.chmod(path, 0o755)
        shutil.rmtree(self.path, ignore_errors=True)


# Every command that changes files, with options that make it change a photo
# it may work on; SOURCE and EXPORT stand for a restore source and an export
# target the test chooses.
FUNCTIONS = [
    ("file-time", []),
    ("shift-time", ["--time", "+02:00:00"]),
    ("prefix", ["--add", "Trip_"]),
    ("restore", ["--source", "SOURCE"]),
    ("create", []),
    ("copyright", ["--photographer", "Jane Doe", "--photographer-year", "2008"]),
    ("describe", ["--text", "Lake Constance"]),
    ("export", ["--to", "EXPORT"]),
    ("wipe", []),
]


class FolderCase(unittest.TestCase):
    """A test case with a scratch folder and home of its own for each test,
    and fresh folders of PHOTOS camera photos (all of them when None)."""

    LABEL = "case"
    PHOTOS = None

    def setUp(self):
        self.scratch = Scratch(self.LABEL)
        self.home = self.scratch.sub("home")
        os.makedirs(self.home)
        self.count = 0

    def tearDown(self):
        self.scratch.remove()

    def folder(self):
        self.count += 1
        path = self.scratch.sub(f"photos-{self.count:03d}")
        fill_folder(path, self.PHOTOS or len(camera_photos()))
        return path


# --- running kelvane-cli -------------------------------------------------------------


class Run:
    def __init__(self, args, returncode, stdout, stderr, seconds, timed_out=False):
        self.args = args
        self.returncode = returncode
        self.stdout = stdout
        self.stderr = stderr
        self.seconds = seconds
        self.timed_out = timed_out
        self.json = None
        for line in reversed(stdout.splitlines()):
            if line.startswith("{"):
                try:
                    self.json = json.loads(line)
                except ValueError:
                    pass
                break

    def failures(self):
        """{file name: list message} of a --json run."""
        if not self.json:
            return {}
        return {f["file"]: f["message"] for f in self.json.get("failures", [])}

    def describe(self):
        shown = " ".join(self.args)
        status = "timed out" if self.timed_out else f"exit {self.returncode}"
        return f"kelvane-cli {shown}: {status}\nstdout: {self.stdout[-2000:]}\nstderr: {self.stderr[-2000:]}"


def cli_env(home):
    """An environment whose settings and journal folders are inside the
    scratch folder, so that no run reads or touches the user's own. The
    journal folder is open to every user: some runs are made as nobody."""
    env = dict(os.environ)
    env["HOME"] = home
    env["XDG_CONFIG_HOME"] = os.path.join(home, ".config")
    state = os.path.join(home, ".local", "state")
    os.makedirs(state, exist_ok=True)
    os.chmod(state, 0o1777)
    env["XDG_STATE_HOME"] = state
    env["LC_ALL"] = "C.UTF-8"
    return env


def run_cli(args, home, timeout=RUN_TIMEOUT, cwd=None, prefix=(), env=None):
    """Runs kelvane-cli to the end (prefix: a wrapper such as strace; env:
    variables set for this run)."""
    command = list(prefix) + [cli_path()] + list(args)
    started = time.monotonic()
    environment = cli_env(home)
    environment.update(env or {})
    process = subprocess.Popen(
        command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=environment,
        cwd=cwd, start_new_session=True)
    try:
        out, err = process.communicate(timeout=timeout)
        timed_out = False
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        out, err = process.communicate()
        timed_out = True
    seconds = time.monotonic() - started
    return Run(args, process.returncode, out.decode("utf-8", "replace"), err.decode("utf-8", "replace"), seconds,
               timed_out)


class Started:
    """A kelvane-cli run in the background; its output goes to files so that
    a test can read what it printed while it runs."""

    def __init__(self, args, home, prefix=(), cwd=None):
        self.args = list(args)
        self.started = time.monotonic()
        self.out = tempfile.TemporaryFile()
        self.err = tempfile.TemporaryFile()
        self.process = subprocess.Popen(
            list(prefix) + [cli_path()] + self.args, stdin=subprocess.DEVNULL, stdout=self.out, stderr=self.err,
            env=cli_env(home), cwd=cwd, start_new_session=True)

    def signal(self, number):
        try:
            os.kill(self.process.pid, number)
        except ProcessLookupError:
            pass

    def running(self):
        return self.process.poll() is None

    def stderr_so_far(self):
        self.err.seek(0)
        return self.err.read().decode("utf-8", "replace")

    def finish(self, timeout=RUN_TIMEOUT):
        timed_out = False
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
            timed_out = True
        seconds = time.monotonic() - self.started
        self.out.seek(0)
        self.err.seek(0)
        run = Run(self.args, self.process.returncode, self.out.read().decode("utf-8", "replace"),
                  self.err.read().decode("utf-8", "replace"), seconds, timed_out)
        self.out.close()
        self.err.close()
        return run


def wait_for(predicate, timeout, step=0.02):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


def process_state(pid):
    """The one-letter state of a process ('T' stopped, 't' trace-stopped)."""
    try:
        with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as f:
            return f.read().rsplit(")", 1)[1].split()[0]
    except (OSError, IndexError):
        return ""


def child_pids(pid):
    try:
        with open(f"/proc/{pid}/task/{pid}/children", encoding="ascii") as f:
            return [int(p) for p in f.read().split()]
    except OSError:
        return []


# --- folder snapshots ----------------------------------------------------------------


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def snapshot(folder):
    """{name: (kind, size, sha256 or link target, mode, mtime_ns)} of every
    entry of folder, hidden ones and links included (links not followed)."""
    entries = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        info = os.lstat(path)
        if stat.S_ISLNK(info.st_mode):
            entries[name] = ("link", 0, os.readlink(path), 0, 0)
        elif stat.S_ISREG(info.st_mode):
            content = sha256_of(path) if os.access(path, os.R_OK) else "unreadable"
            entries[name] = ("file", info.st_size, content, stat.S_IMODE(info.st_mode), info.st_mtime_ns)
        else:
            entries[name] = ("other", 0, "", stat.S_IMODE(info.st_mode), info.st_mtime_ns)
    return entries


def snapshot_changes(before, after):
    changes = []
    for name in sorted(set(before) | set(after)):
        if name not in after:
            changes.append(f"{name}: gone")
        elif name not in before:
            changes.append(f"{name}: new")
        elif before[name] != after[name]:
            changes.append(f"{name}: {before[name]} -> {after[name]}")
    return changes


def temporary_files(folder):
    return sorted(n for n in os.listdir(folder) if n.startswith("."))


# --- photo checks -------------------------------------------------------------------


def image_data_start(data):
    """Offset of the first start-of-scan marker, found by walking the
    segments (a thumbnail inside the Exif segment has markers of its own)."""
    if data[:2] != b"\xff\xd8":
        return None
    at = 2
    while at + 4 <= len(data):
        if data[at] != 0xFF:
            return None
        marker = data[at + 1]
        if marker == 0xFF:
            at += 1
            continue
        if marker == 0xDA:
            return at
        if 0xD0 <= marker <= 0xD7 or marker == 0x01:
            at += 2
            continue
        at += 2 + int.from_bytes(data[at + 2:at + 4], "big")
    return None


def image_data(data):
    start = image_data_start(data)
    return None if start is None else data[start:]


def decode_error(path):
    """None when djpeg decodes the photo cleanly, else what it said."""
    result = subprocess.run(["djpeg", "-fast", "-outfile", "/dev/null", path], stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, timeout=RUN_TIMEOUT)
    if result.returncode == 0:
        return None
    return result.stderr.decode("utf-8", "replace").strip() or f"djpeg exit {result.returncode}"


IGNORED_GROUPS = ("System:", "File:", "ExifTool:", "Composite:")
LOCATION_TAGS = {"ExifOffset", "GPSInfo", "InteropOffset", "ThumbnailOffset", "StripOffsets", "PreviewImageStart",
                 "JpgFromRawStart", "OtherImageStart"}


def exiftool_readings(paths):
    """exiftool's tags of each photo, one exiftool process for all of them:
    {path: {group:tag: value}}."""
    if not paths:
        return {}
    result = subprocess.run(["exiftool", "-j", "-a", "-G1", "-s", "-n", "-charset", "filename=utf8"] + list(paths),
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=600)
    try:
        readings = json.loads(result.stdout.decode("utf-8", "replace") or "[]")
    except ValueError:
        readings = []
    by_path = {}
    for reading in readings:
        source = reading.get("SourceFile", "")
        by_path[source] = {k: v for k, v in reading.items() if compared_tag(k)}
    return by_path


def compared_tag(key):
    if key == "SourceFile" or key.startswith(IGNORED_GROUPS):
        return False
    return key.split(":", 1)[-1] not in LOCATION_TAGS


# The XMP copies an edit keeps in step with its Exif tag (the runs keep the
# photos' XMP in step by default).
XMP_COPIES = {
    "IFD0:Copyright": ["XMP-dc:Rights"],
    "IFD0:ImageDescription": ["XMP-dc:Description"],
    "ExifIFD:DateTimeOriginal": ["XMP-exif:DateTimeOriginal", "XMP-xmp:CreateDate", "XMP-photoshop:DateCreated",
                                 "XMP-exif:DateTimeDigitized", "XMP-xmp:ModifyDate"],
}


def tag_differences(before, after, edited):
    """Tags that differ between two readings, edited tags (and their XMP
    copies) left out."""
    skipped = set(edited)
    for tag in edited:
        skipped.update(XMP_COPIES.get(tag, []))
    keys = (set(before) | set(after)) - skipped
    return sorted(f"{k}: {before.get(k)!r} -> {after.get(k)!r}" for k in keys if before.get(k) != after.get(k))


class PhotoFolderCheck:
    """Checks that every photo of a folder is whole: it decodes, its image
    data is the original's, and exiftool reads each edited tag as one of the
    values allowed for that photo and every other tag unchanged.

    originals: {name: original path}; allowed: {name: [ {tag: value}, ... ]},
    each dict one acceptable combination of the edited tags' values (a missing
    tag is written as None)."""

    def __init__(self, folder, originals):
        self.folder = folder
        self.originals = originals
        sources = sorted(set(originals.values()))
        self.original_tags = exiftool_readings(sources)
        self.original_image = {}
        for source in sources:
            with open(source, "rb") as f:
                self.original_image[source] = image_data(f.read())

    def problems(self, allowed, edited):
        problems = []
        names = sorted(os.listdir(self.folder))
        visible = [n for n in names if not n.startswith(".")]
        for name in sorted(set(self.originals) - set(names)):
            problems.append(f"{name}: missing")
        for name in sorted(set(visible) - set(self.originals)):
            problems.append(f"{name}: a file that was not there before")
        present = [n for n in sorted(self.originals) if n in names]
        readings = exiftool_readings([os.path.join(self.folder, n) for n in present])
        for name in present:
            path = os.path.join(self.folder, name)
            source = self.originals[name]
            failure = decode_error(path)
            if failure:
                problems.append(f"{name}: does not decode ({failure})")
                continue
            with open(path, "rb") as f:
                if image_data(f.read()) != self.original_image[source]:
                    problems.append(f"{name}: image data changed")
            reading = readings.get(path)
            if reading is None:
                problems.append(f"{name}: exiftool could not read it")
                continue
            differences = tag_differences(self.original_tags[source], reading, edited)
            if differences:
                problems.append(f"{name}: other tags changed: {differences[:3]}")
            values = {tag: reading.get(tag) for tag in edited}
            if values not in allowed[name]:
                problems.append(f"{name}: edited tags {values} not one of {allowed[name]}")
        return problems


def edited_values(folder, names, edited):
    """{name: {tag: value}} of the edited tags as exiftool reads them."""
    paths = [os.path.join(folder, n) for n in names]
    readings = exiftool_readings(paths)
    return {n: {tag: readings.get(p, {}).get(tag) for tag in edited} for n, p in zip(names, paths)}


def file_bytes(folder):
    """{name: content} of the visible files of folder."""
    contents = {}
    for name in sorted(os.listdir(folder)):
        if name.startswith("."):
            continue
        with open(os.path.join(folder, name), "rb") as f:
            contents[name] = f.read()
    return contents


def old_or_new_problems(folder, old, new, renamed=None):
    """What is wrong with folder after an interrupted run: each photo must be
    there once, under its old name or (renamed) its new one, holding its old
    bytes or its complete new version (old, new: {name: bytes}); no other
    visible file."""
    renamed = renamed or {}
    names = {n for n in os.listdir(folder) if not n.startswith(".")}
    accounted = set()
    problems = []
    for name in sorted(old):
        present = [n for n in (name, renamed.get(name)) if n and n in names]
        accounted.update(present)
        if not present:
            problems.append(f"{name}: missing")
            continue
        if len(present) > 1:
            problems.append(f"{name}: there under its old and its new name")
        path = os.path.join(folder, present[0])
        with open(path, "rb") as f:
            content = f.read()
        if content not in (old[name], new[name]):
            damage = decode_error(path) or ("image data changed" if image_data(content) != image_data(old[name])
                                            else "neither the old nor the new version")
            problems.append(f"{present[0]}: {damage}")
    problems += [f"{n}: a visible file that was not there before" for n in sorted(names - accounted)]
    return problems


def dead_pid():
    """The pid of a process that has ended."""
    process = subprocess.Popen(["true"])
    process.wait()
    return process.pid


# --- strace --------------------------------------------------------------------


TRACE_LINE = re.compile(r"^(?:\[pid\s+)?(\d+)\]?\s+(\w+)\((.*)$")


def traced_calls(args, home, syscalls, cwd=None):
    """Runs kelvane-cli under strace and returns (run, [(syscall, text)]) for
    the named system calls in order, file descriptors shown with their paths."""
    log = tempfile.NamedTemporaryFile(prefix="kelvane-strace-", delete=False)
    log.close()
    # A first run in this home leaves whatever a run leaves there (a settings
    # file, in some builds), so that the counted run and the runs held or
    # killed at a counted call start alike.
    run_cli(["dump", camera_photos()[0]], home)
    try:
        run = run_cli(args, home, cwd=cwd,
                      prefix=["strace", "-f", "-qq", "-y", "-s", "0", "-e", "trace=" + ",".join(syscalls),
                              "-o", log.name])
        calls = []
        with open(log.name, encoding="utf-8", errors="replace") as f:
            for line in f:
                match = TRACE_LINE.match(line)
                if match and "resumed>" not in line:
                    calls.append((match.group(2), match.group(3)))
        return run, calls
    finally:
        os.unlink(log.name)


def injected(syscall, when, sig="KILL"):
    """A strace prefix that sends sig to kelvane-cli when it enters the
    when-th call of syscall (strace tampers only with traced calls, so the
    call is traced into /dev/null)."""
    return ["strace", "-f", "-qq", "-o", "/dev/null", "-e", f"trace={syscall}", "-e",
            f"inject={syscall}:signal={sig}:when={when}"]


def failing(syscall, when, errno_name):
    """A strace prefix that makes the when-th call of syscall fail with errno_name."""
    return ["strace", "-f", "-qq", "-o", "/dev/null", "-e", f"trace={syscall}", "-e",
            f"inject={syscall}:error={errno_name}:when={when}"]


def call_number(calls, syscall, predicate=lambda text: True, after=0):
    """The 1-based number, counted over the calls of syscall, of the first
    call after position `after` of the whole trace whose text satisfies
    predicate; None when there is none."""
    number = 0
    for position, (name, text) in enumerate(calls):
        if name != syscall:
            continue
        number += 1
        if position >= after and predicate(text):
            return number
    return None


def first_position(calls, predicate):
    """Position in the trace of the first call whose text satisfies predicate."""
    for position, (_, text) in enumerate(calls):
        if predicate(text):
            return position
    return len(calls)


def io_counters(pid):
    """(state, cpu ticks, read calls, write calls) of a process, or None."""
    try:
        with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        with open(f"/proc/{pid}/io", encoding="ascii") as f:
            io = dict(line.split(": ") for line in f.read().splitlines())
        return fields[0], int(fields[11]) + int(fields[12]), io["syscr"], io["syscw"]
    except (OSError, IndexError, KeyError, ValueError):
        return None


def stopped_program(started, timeout=30):
    """The pid of kelvane-cli under a strace prefix once it is held by an
    injected SIGSTOP; None when it ended first. A traced process also stops
    for an instant at every traced call: held means stopped, with no work
    done, across several looks."""
    found = []

    def held():
        for pid in child_pids(started.process.pid):
            first = io_counters(pid)
            if first is None or first[0] not in ("t", "T"):
                continue
            for _ in range(3):
                time.sleep(0.1)
                if io_counters(pid) != first:
                    return False
            found.append(pid)
            return True
        return not started.running()

    wait_for(held, timeout)
    return found[0] if found else None


def spread(count, points):
    """points call numbers spread evenly inside 1..count."""
    return sorted({max(1, min(count, round(i * (count + 1) / (points + 1)))) for i in range(1, points + 1)}) \
        if count > 0 else []


def assert_no_problems(test, problems):
    """Fails the test with every problem on a line of its own."""
    if problems:
        test.fail(f"{len(problems)} problems:\n  " + "\n  ".join(problems))


# --- test program entry --------------------------------------------------------


def main():
    """Runs the calling file's tests; exit 77 when every one was skipped."""
    program = unittest.main(module="__main__", exit=False, verbosity=2)
    result = program.result
    if result.testsRun and len(result.skipped) == result.testsRun and result.wasSuccessful():
        sys.exit(SKIPPED)
    sys.exit(0 if result.wasSuccessful() else 1)
