#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tirlink developers
# SPDX-License-Identifier: MIT

"""The real tirlink program against damaged settings files and failing saves, under Xvfb.

Usage: e2e_hardening.py <build dir> [case-name-prefix ...]

Damaged files: a test generates them (empty; cut at every field boundary and inside fields;
non-digits in every numeric field; signs and leading blanks; overlong; NUL bytes and bytes above
127; a directory, a FIFO and a dangling link named tirlink.cfg; a file that cannot be opened or
read). For each the program starts in its own folder, and the ticker it shows is compared with
what the reading rules give for those bytes, worked out here on their own: the window's place
and height (Left 2, width of the screen less 4, height |font height| + 10), its stay-on-top
state, a pixel of the background colour, and, where the text can be seen, the text colour. Then
a right click must open the menu, and Escape close it.

Save faults: the folder cannot be written, the disk is full, the disk fails, the file cannot be
renamed into place, the name is taken by a directory. Made for real where the machine lets us
mount a small file system (full, or read-only), otherwise, and in any case for the faults no
file system makes on demand, by a preloaded shim (fault_shim.c) that fails one step of the
writer. Each time "Выход" must show a message box titled "Тирлинк", end with a non-zero exit code
after it is closed, and leave the previous tirlink.cfg byte for byte.
"""
import atexit
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402  (the shared driver: virtual screen, program runs, record helper)
from e2e import SCREEN_W, SCREEN_H, DESIGNED_LINE, Ticker, X, record  # noqa: E402

ONLY = e2e.ONLY
SHOTS = os.path.join(e2e.BUILD, "e2e-shots", "hardening")
HERE = os.path.dirname(os.path.abspath(__file__))


# ------------------------------------------------------------------------------------------
# The reading rules, worked out independently of the program
# ------------------------------------------------------------------------------------------
DESIGNED = {"top": 606, "style": 1, "text_color": 0x00FFFF, "back_color": 0x800000, "steps": 300,
            "size": 14, "text": DESIGNED_LINE, "font": "Times New Roman", "charset": 1}
NUMBERS = [("left", 4), ("top", 4), ("style", 1), ("text_color", 9), ("back_color", 9), ("steps", 5),
           ("size", 3)]
C_SPACE = b" \t\n\v\f\r"


def decode_1251(raw):
    # 0x98 is undefined in the code page and reads as "?".
    return "".join("?" if b == 0x98 else bytes([b]).decode("cp1251") for b in raw)


def trim(s):
    a, b = 0, len(s)
    while a < b and ord(s[a]) <= 32:
        a += 1
    while b > a and ord(s[b - 1]) <= 32:
        b -= 1
    return s[a:b]


def read_rules(data):
    """The values a ticker starts with for a file holding data: field by field as formatted
    input reads them, stopping at the first field that does not convert (a font size of 0
    counts as such); fields from there on keep the designed values."""
    v = dict(DESIGNED)
    pos = 0

    def number(width):
        nonlocal pos
        while pos < len(data) and data[pos] in C_SPACE:
            pos += 1
        end = min(len(data), pos + width)
        digits = pos + 1 if pos < end and data[pos] in b"+-" else pos
        stop = digits
        while stop < end and 0x30 <= data[stop] <= 0x39:
            stop += 1
        if stop == digits:
            return None
        value = int(data[pos:stop])
        pos = stop
        return value

    def string():
        nonlocal pos
        n = min(255, len(data) - pos)
        if n <= 0:
            return None
        raw = data[pos:pos + n].replace(b"\0", b" ")
        pos += n
        return trim(decode_1251(raw))

    for name, width in NUMBERS:
        value = number(width)
        if value is None or (name == "size" and value == 0):
            return v
        v[name] = value
    for name in ("text", "font"):
        value = string()
        if value is None:
            return v
        v[name] = value
    charset = number(4)
    if charset is not None:
        v["charset"] = charset & 0xFF
    return v


def mul_div(a, b, c):
    """a * b / c rounded to the nearest integer, halves away from zero."""
    q, r = divmod(abs(a * b), c)
    q += 1 if 2 * r >= c else 0
    return q if (a * b >= 0) == (c > 0) else -q


def expected_ticker(data):
    """What the window must show for a file holding data (None: no file could be read)."""
    v = read_rules(data) if data is not None else dict(DESIGNED)
    steps = v["steps"] if v["steps"] > 0 else DESIGNED["steps"]  # the control ignores the rest
    height = -mul_div(v["size"], 96, 72)
    rgb = lambda c: (c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF)
    return {"y": v["top"], "h": abs(height) + 10, "on_top": v["style"] != 1, "back": rgb(v["back_color"]),
            "fore": rgb(v["text_color"]), "steps": steps, "text": v["text"], "height": height}


# ------------------------------------------------------------------------------------------
# Damaged files
# ------------------------------------------------------------------------------------------
BASE = dict(left=300, top=300, style=1, text_color=0x00FFFF, back_color=0x008000, steps=300, size=10,
            text="Бегущая строка: новости дня", font="DejaVu Sans", charset=204)
FIELD_STARTS = [("left", 0), ("top", 4), ("style", 8), ("text colour", 9), ("back colour", 18), ("steps", 27),
                ("size", 32), ("text", 35), ("font", 290), ("charset", 545)]
NUMERIC = [f for f in FIELD_STARTS if f[0] not in ("text", "font")]


def base():
    return record(**BASE)


def put(data, at, new):
    return data[:at] + new + data[at + len(new):]


def damaged_files():
    """(name, bytes) pairs; bytes None stands for a special file made by special_file()."""
    full = base()
    cases = [("intact", full), ("empty", b"")]
    # Cut at every field boundary.
    for name, start in FIELD_STARTS[1:]:
        cases.append(("cut before " + name, full[:start]))
    # Cut inside every number and inside both strings.
    for (name, start), (_, nxt) in zip(FIELD_STARTS, FIELD_STARTS[1:] + [("end", 549)]):
        if nxt - start > 1 and name not in ("text", "font"):
            cases.append(("cut inside " + name, full[:start + (nxt - start) // 2]))
    for name, start in (("text", 35), ("font", 290)):
        for keep in (1, 17, 254):
            cases.append(("cut %d bytes into %s" % (keep, name), full[:start + keep]))
    # Non-digits in every numeric field, at its start and in its middle.
    for name, start in NUMERIC:
        cases.append(("letter at start of " + name, put(full, start, b"x")))
        width = [w for (n, s), w in zip(NUMERIC, (4, 4, 1, 9, 9, 5, 3, 4)) if n == name][0]
        if width > 1:
            cases.append(("letter inside " + name, put(full, start + width - 1, b"O")))
    # Signs and leading blanks.
    cases += [
        ("negative top", put(full, 4, b"-005")),
        ("plus sign on top", put(full, 4, b"+300")),
        ("lone minus in style", put(full, 8, b"-")),
        ("plus sign on style", put(full, 8, b"+")),
        ("negative text colour", put(full, 9, b"-00000001")),
        ("negative steps", put(full, 27, b"-0300")),
        ("negative font size", put(full, 32, b"-12")),
        ("font size zero", put(full, 32, b"000")),
        ("blank before text colour", put(full, 9, b" 00065535")),
        ("tab before back colour", put(full, 18, b"\t00032768")),
        ("blanks before steps", put(full, 27, b"  300")),
        ("line feed before size", put(full, 32, b"\n10")),
        ("blank before charset", put(full, 545, b" 204")),
        ("blanks for the whole header", b" " * 35 + full[35:]),
        ("style digit 0", put(full, 8, b"0")),
        ("style digit 9", put(full, 8, b"9")),
        ("huge font size", put(full, 32, b"400")),
        ("largest font size", put(full, 32, b"999")),
        ("smallest font size", put(full, 32, b"001")),
    ]
    # Overlong.
    long_text = ("А" * 300).encode("cp1251")
    cases += [
        ("junk after the record", full + b"\r\n" + bytes(range(256)) * 400),
        ("a megabyte of digits after it", full + b"7" * (1 << 20)),
        ("text 300 bytes long", full[:35] + long_text + full[290:]),
        ("four-digit font size", full[:32] + b"0010" + full[35:]),
        ("saved by an editor with a line break", full + b"\n"),
        ("text in UTF-8", full[:35] + BASE["text"].encode("utf-8").ljust(255, b" ") + full[290:]),
    ]
    # NUL bytes and bytes above 127.
    cases += [
        ("NUL inside the text", put(full, 40, b"\0\0\0")),
        ("NUL starting the text", put(full, 35, b"\0")),
        ("NUL inside the font name", put(full, 292, b"\0")),
        ("NUL in place of a digit", put(full, 20, b"\0")),
        ("only NUL bytes", b"\0" * 549),
        ("byte 0x98 in the text", put(full, 36, b"\x98")),
        ("bytes above 127 in the font name", full[:290] + bytes(range(128, 256)).ljust(255, b" ") + full[545:]),
        ("byte above 127 in the steps", put(full, 28, b"\xff")),
        ("all 256 byte values", bytes(range(256)) * 3),
    ]
    # Special files.
    cases += [("no file", None), ("directory named tirlink.cfg", None), ("FIFO named tirlink.cfg", None),
              ("dangling link named tirlink.cfg", None), ("file that cannot be opened", None),
              ("file that cannot be read", None)]
    return cases


def special_file(name, folder, x):
    """Makes the special file of a case; returns (environment for the program, what it reads:
    None for nothing)."""
    cfg = os.path.join(folder, "tirlink.cfg")
    env = None
    if name == "directory named tirlink.cfg":
        os.mkdir(cfg)
        with open(os.path.join(cfg, "tirlink.cfg"), "wb") as f:
            f.write(base())
    elif name == "FIFO named tirlink.cfg":
        os.mkfifo(cfg)
    elif name == "dangling link named tirlink.cfg":
        os.symlink(os.path.join(folder, "nowhere", "tirlink.cfg"), cfg)
    elif name in ("file that cannot be opened", "file that cannot be read"):
        with open(cfg, "wb") as f:
            f.write(base())
        fault = "open-read:EACCES" if "opened" in name else "read:EIO"
        env = dict(x.env, LD_PRELOAD=shim(), TIRLINK_FAULT=fault)
    return env, None


_shim = None
PASSED = []


def shim():
    """Builds the fault shim once per run."""
    global _shim
    if _shim is None:
        folder = tempfile.mkdtemp(prefix="tirlink-shim-")
        atexit.register(shutil.rmtree, folder, True)  # the run leaves nothing in /tmp
        out = os.path.join(folder, "fault_shim.so")
        subprocess.run(["cc", "-shared", "-fPIC", "-O1", "-o", out, os.path.join(HERE, "fault_shim.c"), "-ldl"],
                       check=True)
        _shim = out
    return _shim


def grab(x, g, path):
    """Screenshot of the part of the window that lies on the screen: (left, top, w, h, rgb)."""
    left, top = max(g["x"], 0), max(g["y"], 0)
    right, bottom = min(g["x"] + g["w"], SCREEN_W), min(g["y"] + g["h"], SCREEN_H)
    w, h = right - left, bottom - top
    x.run("import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, left, top), "+repage", path)
    raw = subprocess.run(["convert", path, "rgb:-"], stdout=subprocess.PIPE, check=True).stdout
    assert len(raw) == w * h * 3, (len(raw), w, h)
    return left, top, w, h, raw


def pixel(shot, x, y):
    _, _, w, _, raw = shot
    i = (y * w + x) * 3
    return tuple(raw[i:i + 3])


def has_colour(shot, rgb, tolerance=24):
    _, _, w, h, raw = shot
    for i in range(0, w * h * 3, 3):
        if all(abs(raw[i + k] - rgb[k]) <= tolerance for k in range(3)):
            return True
    return False


def has_text(shot, fore, back):
    """Whether some pixel is nearer the text colour than the background (glyphs are smoothed,
    so a small one may hold no pixel of the pure text colour)."""
    _, _, w, h, raw = shot
    for i in range(0, w * h * 3, 3):
        px = raw[i:i + 3]
        if sum(abs(px[k] - fore[k]) for k in range(3)) < sum(abs(px[k] - back[k]) for k in range(3)):
            return True
    return False


def check_ticker(x, t, want, label):
    """The window against what the rules give; then the menu."""
    g = t.wait_geometry(lambda g: g["w"] == SCREEN_W - 4 and g["y"] == want["y"] and g["h"] == want["h"])
    assert g["h"] != 10, "%s: the zero-filled strip 10 pixels high" % label
    assert (g["x"], g["y"], g["w"], g["h"]) == (2, want["y"], SCREEN_W - 4, want["h"]), (label, g, want)
    on_top = "_NET_WM_STATE_ABOVE" in t.net_wm_state()
    assert on_top == want["on_top"], "%s: stay-on-top is %s, the file says %s" % (label, on_top, want["on_top"])
    visible = g["y"] < SCREEN_H and g["y"] + g["h"] > 0
    assert visible, "%s: the case puts the window off the screen; choose another" % label
    os.makedirs(SHOTS, exist_ok=True)
    slug = "".join(c if c.isalnum() else "_" for c in label)[:60]
    # The text comes in from the right, so the left end shows the background for a while. The
    # window can be on the screen a moment before its first frame (a very large font takes a
    # while to measure and draw), so the background gets a few seconds to appear.
    deadline = time.time() + 5
    while True:
        shot = grab(x, g, os.path.join(SHOTS, slug + ".png"))
        if pixel(shot, 1, 0) == want["back"] or time.time() > deadline:
            break
        time.sleep(0.1)
    assert pixel(shot, 1, 0) == want["back"], "%s: background %s, expected %s" % (label, pixel(shot, 1, 0), want["back"])
    # The menu opens on a right click and closes on Escape.
    before = t.windows()
    left, top, _, h, _ = shot
    x.run("xdotool", "mousemove", str(left + 300), str(top + h // 2), "click", "3")
    menu = t.wait_new_window(before, timeout=5.0)
    m = t.geometry(menu)
    assert m["h"] >= 30 and m["w"] >= 60, (label, m)
    t.keys("Escape")
    t.wait_gone(menu)
    # The text, where it can be seen: a readable size, a colour apart from the background, a
    # speed that brings it into view within a second or two.
    readable = abs(want["height"]) >= 9 and want["text"] and want["steps"] <= 2050 and \
        sum(abs(a - b) for a, b in zip(want["fore"], want["back"])) > 150 and want["y"] >= 0
    if readable:
        deadline = time.time() + 4
        while True:
            shot = grab(x, g, os.path.join(SHOTS, slug + "_text.png"))
            if has_text(shot, want["fore"], want["back"]):
                break
            assert time.time() < deadline, "%s: no text in %s appeared" % (label, want["fore"])
            time.sleep(0.3)
    assert t.proc.poll() is None, "%s: the program ended" % label


def damaged_file_cases(x):
    """One test per damaged file; returns the number of failures."""
    failures = 0
    for name, data in damaged_files():
        if ONLY and not any(name.startswith(o) for o in ONLY):
            continue
        folder = tempfile.mkdtemp(prefix="tirlink-damaged-")
        t0 = time.time()
        t = None
        try:
            env = None
            if data is None:
                env, data = special_file(name, folder, x)
            else:
                with open(os.path.join(folder, "tirlink.cfg"), "wb") as f:
                    f.write(data)
            want = expected_ticker(data)
            t = Ticker(x, folder, env=env)
            check_ticker(x, t, want, name)
            if env and "TIRLINK_FAULT" in env:
                t.kill()
                assert "fault_shim: " in t.proc.stderr.read(), "%s: the fault was never met" % name
            print("PASS damaged file: %s (%.1f s)" % (name, time.time() - t0))
            PASSED.append(name)
        except Exception:
            failures += 1
            print("FAIL damaged file: %s" % name)
            traceback.print_exc()
        finally:
            if t:
                t.kill()
            shutil.rmtree(folder, ignore_errors=True)
    return failures


# ------------------------------------------------------------------------------------------
# Save faults
# ------------------------------------------------------------------------------------------
class SmallDisk:
    """A small file system of our own, so that a full disk and a read-only folder are real
    even for root; None where the machine does not let us mount one."""

    def __init__(self, size_kib):
        self.path = tempfile.mkdtemp(prefix="tirlink-disk-")
        r = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk,mode=0777" % size_kib, "tmpfs", self.path],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.mounted = r.returncode == 0

    def fill(self):
        fd = os.open(os.path.join(self.path, "filler"), os.O_WRONLY | os.O_CREAT, 0o644)
        try:
            while os.write(fd, b"\0" * 4096) > 0:
                pass
        except OSError:
            pass
        finally:
            os.close(fd)

    def read_only(self):
        subprocess.run(["mount", "-o", "remount,ro", self.path], check=True)

    def close(self):
        if self.mounted:
            subprocess.run(["umount", "-l", self.path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.path, ignore_errors=True)


def listing(folder):
    return sorted(os.listdir(folder))


def exit_with_fault(x, folder, label, env=None, expect_shim=None):
    """Starts the program in folder, chooses "Выход", expects the message box and a non-zero
    exit code after closing it."""
    t = Ticker(x, folder, env=env)
    try:
        t.wait_geometry(lambda g: g["w"] == SCREEN_W - 4)
        before = t.windows()
        t.choose_exit_with_keyboard()
        box = t.wait_window("Тирлинк", timeout=10.0)
        assert box not in before
        time.sleep(0.3)
        b = t.geometry(box)
        assert b["w"] >= 150 and b["h"] >= 60, (label, b)
        os.makedirs(SHOTS, exist_ok=True)
        slug = "".join(c if c.isalnum() else "_" for c in label)[:60]
        shot = grab(x, b, os.path.join(SHOTS, "save_" + slug + ".png"))
        assert has_colour(shot, (0, 0, 0), tolerance=60), "%s: the message box shows no text" % label
        assert t.proc.poll() is None, "%s: the program ended before the message was closed" % label
        x.run("xdotool", "mousemove", str(b["x"] + b["w"] // 2), str(b["y"] + b["h"] // 2))
        t.keys("Return")
        rc = t.wait_exit()
        err = t.proc.stderr.read()
    finally:
        t.kill()
    assert rc != 0, "%s: exit code 0 after a failed save" % label
    assert "Не удалось сохранить настройки в tirlink.cfg" in err, (label, err)
    if expect_shim:
        assert "fault_shim: " + expect_shim in err, (label, err)
    return err


def save_fault_cases(x):
    failures = 0
    previous = record(left=2, top=420, style=2, text_color=0xFFFFFF, back_color=0x000080, steps=777, size=12,
                      text="Прежние настройки", font="DejaVu Serif", charset=204)

    def case(label, body):
        nonlocal failures
        if ONLY and not any(label.startswith(o) for o in ONLY):
            return
        t0 = time.time()
        try:
            outcome = body()
            if outcome == "skip":
                print("SKIP save fault: %s (cannot mount a file system here; the shim case covers it)" % label)
            else:
                print("PASS save fault: %s (%.1f s)" % (label, time.time() - t0))
                PASSED.append(label)
        except Exception:
            failures += 1
            print("FAIL save fault: %s" % label)
            traceback.print_exc()

    def with_shim(step, error):
        folder = tempfile.mkdtemp(prefix="tirlink-save-")
        try:
            cfg = os.path.join(folder, "tirlink.cfg")
            with open(cfg, "wb") as f:
                f.write(previous)
            env = dict(x.env, LD_PRELOAD=shim(), TIRLINK_FAULT="%s:%s" % (step, error))
            exit_with_fault(x, folder, "%s %s" % (step, error), env, expect_shim="%s %s" % (step, error))
            assert open(cfg, "rb").read() == previous, "the previous file changed"
            assert listing(folder) == ["tirlink.cfg"], listing(folder)
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    for step, error in (("open-write", "EACCES"), ("open-write", "EROFS"), ("write", "ENOSPC"), ("write", "EDQUOT"),
                        ("write", "EIO"), ("fsync", "EIO"), ("rename", "EXDEV"), ("rename", "EACCES")):
        case("shim %s %s" % (step, error), lambda s=step, e=error: with_shim(s, e))

    def real_disk(kind):
        disk = SmallDisk(64)
        try:
            if not disk.mounted:
                return "skip"
            cfg = os.path.join(disk.path, "tirlink.cfg")
            with open(cfg, "wb") as f:
                f.write(previous)
            if kind == "full":
                disk.fill()
            else:
                disk.read_only()
            before = listing(disk.path)
            err = exit_with_fault(x, disk.path, "real " + kind)
            want = "No space left on device" if kind == "full" else "Read-only file system"
            assert want in err, err
            assert open(cfg, "rb").read() == previous, "the previous file changed"
            assert listing(disk.path) == before, listing(disk.path)
        finally:
            disk.close()

    case("real full disk", lambda: real_disk("full"))
    case("real read-only folder", lambda: real_disk("read-only"))

    def directory_in_the_way():
        folder = tempfile.mkdtemp(prefix="tirlink-save-")
        try:
            cfg = os.path.join(folder, "tirlink.cfg")
            os.mkdir(cfg)
            with open(os.path.join(cfg, "inside"), "wb") as f:
                f.write(previous)
            exit_with_fault(x, folder, "name taken by a directory")
            assert os.path.isdir(cfg) and listing(cfg) == ["inside"]
            assert open(os.path.join(cfg, "inside"), "rb").read() == previous
            assert listing(folder) == ["tirlink.cfg"], listing(folder)
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    case("name taken by a directory", directory_in_the_way)

    def control():
        # The same run without a fault saves and ends with 0, so the cases above fail for the
        # fault alone.
        folder = tempfile.mkdtemp(prefix="tirlink-save-")
        try:
            cfg = os.path.join(folder, "tirlink.cfg")
            with open(cfg, "wb") as f:
                f.write(previous)
            t = Ticker(x, folder, env=dict(x.env, LD_PRELOAD=shim()))
            try:
                t.wait_geometry(lambda g: g["w"] == SCREEN_W - 4 and g["y"] == 420)
                t.choose_exit_with_keyboard()
                rc = t.wait_exit()
            finally:
                t.kill()
            assert rc == 0, rc
            assert open(cfg, "rb").read() == previous, "a save without changes wrote other values"
            assert listing(folder) == ["tirlink.cfg"], listing(folder)
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    case("no fault", control)
    return failures


def main():
    if not os.path.exists(e2e.BIN):
        print("no binary at", e2e.BIN)
        return 1
    x = X()
    try:
        n = len(damaged_files())
        print("%d damaged files" % n)
        failures = damaged_file_cases(x)
        failures += save_fault_cases(x)
    finally:
        x.stop()
    print("%d hardening case(s) failed" % failures if failures else "all hardening cases passed")
    print("%d passed, %d failed" % (len(PASSED), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
