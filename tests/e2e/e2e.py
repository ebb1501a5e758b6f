#!/usr/bin/env python3
"""End-to-end tests of the real tirlink binary in a real X server (Xvfb), driven with xdotool
and checked with xwininfo, xprop and screenshots, as a person would use the program.

Usage: e2e.py <build dir> [case ...]. Screenshots go to <build dir>/e2e-shots/.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-test")
ONLY = sys.argv[2:]
BIN = os.path.join(BUILD, "tirlink")
SHOTS = os.path.join(BUILD, "e2e-shots")
SCREEN_W, SCREEN_H = 1920, 1080
DESIGNED_LINE = "Для вызова меню нажмите правую кнопку мыши на панели Тирлинка."


def free_display():
    n = 90
    while os.path.exists("/tmp/.X11-unix/X%d" % n) or os.path.exists("/tmp/.X%d-lock" % n):
        n += 1
    return ":%d" % n


class X:
    """The virtual screen all cases share."""

    def __init__(self):
        self.display = free_display()
        self.proc = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "%dx%dx24" % (SCREEN_W, SCREEN_H),
                                      "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.env = dict(os.environ, DISPLAY=self.display, QT_QPA_PLATFORM="xcb")
        self.env.pop("WAYLAND_DISPLAY", None)
        deadline = time.time() + 10
        while time.time() < deadline:
            if subprocess.run(["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                return
            time.sleep(0.1)
        raise RuntimeError("Xvfb did not start")

    def run(self, *args, check=True):
        r = subprocess.run(list(args), env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if check and r.returncode != 0:
            raise AssertionError("%s failed: %s" % (" ".join(args), r.stderr))
        return r.stdout

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


class Ticker:
    """One run of the program in its own settings directory."""

    def __init__(self, x, workdir, binary=BIN):
        self.x = x
        self.workdir = workdir
        self.proc = subprocess.Popen([binary], cwd=workdir, env=x.env, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True)
        self.wid = self.wait_window("Ftirlink")

    def wait_window(self, name, timeout=10.0, visible=True):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.proc.poll() is not None:
                raise AssertionError("tirlink ended early with %s: %s" % (self.proc.returncode, self.proc.stderr.read()))
            args = ["xdotool", "search"] + (["--onlyvisible"] if visible else []) + ["--pid", str(self.proc.pid), "--name", "^%s$" % name]
            out = self.x.run(*args, check=False).split()
            if out:
                return out[0]
            time.sleep(0.1)
        raise AssertionError("no window named %r appeared" % name)

    def geometry(self, wid=None):
        out = self.x.run("xwininfo", "-id", wid or self.wid)
        get = lambda key: int(re.search(key + r":\s+(-?\d+)", out).group(1))
        return {"x": get("Absolute upper-left X"), "y": get("Absolute upper-left Y"),
                "w": get("Width"), "h": get("Height")}

    def wait_geometry(self, pred, timeout=5.0):
        deadline = time.time() + timeout
        g = self.geometry()
        while time.time() < deadline and not pred(g):
            time.sleep(0.05)
            g = self.geometry()
        return g

    def net_wm_state(self):
        return self.x.run("xprop", "-id", self.wid, "_NET_WM_STATE", check=False)

    def shot(self, name):
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, name + ".png")
        self.x.run("import", "-window", "root", path)
        return path

    def pixel(self, path, x, y):
        out = subprocess.run(["convert", path, "-format", "%[pixel:p{%d,%d}]" % (x, y), "info:-"],
                             stdout=subprocess.PIPE, text=True).stdout.strip()
        m = re.search(r"\((\d+),(\d+),(\d+)", out)
        if m:
            return tuple(int(v) for v in m.groups())
        named = {"navy": (0, 0, 128), "yellow": (255, 255, 0), "black": (0, 0, 0), "white": (255, 255, 255)}
        return named.get(out.split("(")[0], out)

    def right_click_menu(self):
        g = self.geometry()
        self.x.run("xdotool", "mousemove", str(g["x"] + 300), str(g["y"] + g["h"] // 2))
        self.x.run("xdotool", "click", "3")
        time.sleep(0.6)

    def choose_exit_with_keyboard(self):
        self.right_click_menu()
        # Down twice reaches the second item, "Выход"; Return chooses it.
        self.x.run("xdotool", "key", "Down", "Down", "Return")

    def wait_exit(self, timeout=10.0):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise AssertionError("tirlink did not end")

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def record(left=2, top=700, style=1, text_color=65535, back_color=8388608, steps=300, size=14,
           text=DESIGNED_LINE, font="Times New Roman", charset=1):
    head = "%04d%04d%01d%09d%09d%05d%03d" % (left, top, style, text_color, back_color, steps, size)
    body = text.encode("cp1251").ljust(255, b" ") + font.encode("cp1251").ljust(255, b" ")
    return head.encode("ascii") + body + ("%04d" % charset).encode("ascii")


# ------------------------------------------------------------------------------------------
# Cases
# ------------------------------------------------------------------------------------------
def case_first_start_without_settings(x, tmp):
    t = Ticker(x, tmp)
    try:
        g = t.wait_geometry(lambda g: g["w"] == SCREEN_W - 4)
        assert (g["x"], g["y"], g["w"], g["h"]) == (2, 606, SCREEN_W - 4, 29), g
        assert "_NET_WM_STATE_ABOVE" not in t.net_wm_state()
        time.sleep(0.5)
        path = t.shot("first_start")
        assert t.pixel(path, 2, 606) == (0, 0, 128), t.pixel(path, 2, 606)
    finally:
        t.kill()


def case_settings_file_is_read_back(x, tmp):
    with open(os.path.join(tmp, "tirlink.cfg"), "wb") as f:
        f.write(record(left=300, top=100, style=2))
    t = Ticker(x, tmp)
    try:
        g = t.wait_geometry(lambda g: g["y"] == 100 and g["w"] == SCREEN_W - 4)
        assert (g["x"], g["y"], g["w"], g["h"]) == (2, 100, SCREEN_W - 4, 29), g
        assert "_NET_WM_STATE_ABOVE" in t.net_wm_state(), t.net_wm_state()
        t.shot("settings_read_back")
    finally:
        t.kill()


def case_drag_moves_vertically(x, tmp):
    t = Ticker(x, tmp)
    try:
        g = t.wait_geometry(lambda g: g["w"] == SCREEN_W - 4)
        px, py = g["x"] + 500, g["y"] + 14
        x.run("xdotool", "mousemove", str(px), str(py), "mousedown", "1")
        for dy in range(-10, -706, -25):  # up past the top of the screen
            x.run("xdotool", "mousemove", str(px + 7), str(py + dy))
            time.sleep(0.01)
        x.run("xdotool", "mousemove", str(px + 7), str(py - 700))
        g2 = t.wait_geometry(lambda g2: g2["y"] == g["y"] - 700)
        assert g2["y"] == g["y"] - 700 and g2["x"] == 2, g2
        x.run("xdotool", "mousemove", str(px), str(py - 200))
        g3 = t.wait_geometry(lambda g3: g3["y"] == g["y"] - 200)
        x.run("xdotool", "mouseup", "1")
        assert g3["y"] == g["y"] - 200 and g3["x"] == 2, g3
        t.shot("after_drag")
    finally:
        t.kill()


def case_exit_writes_the_file(x, tmp):
    t = Ticker(x, tmp)
    t.wait_geometry(lambda g: g["w"] == SCREEN_W - 4)
    t.right_click_menu()
    t.shot("menu_open")
    x.run("xdotool", "key", "Down", "Down", "Return")
    rc = t.wait_exit()
    assert rc == 0, (rc, t.proc.stderr.read())
    data = open(os.path.join(tmp, "tirlink.cfg"), "rb").read()
    assert data == record(top=606), data[:40]


CASES = [v for k, v in sorted(globals().items()) if k.startswith("case_")]
CASES.sort(key=lambda f: f.__code__.co_firstlineno)


def main():
    if not os.path.exists(BIN):
        print("no binary at", BIN)
        return 1
    x = X()
    failures = 0
    try:
        for case in CASES:
            name = case.__name__[5:]
            if ONLY and name not in ONLY:
                continue
            tmp = tempfile.mkdtemp(prefix="tirlink-e2e-")
            t0 = time.time()
            try:
                case(x, tmp)
                print("PASS %s (%.1f s)" % (name, time.time() - t0))
            except Exception:
                failures += 1
                print("FAIL %s" % name)
                traceback.print_exc()
            finally:
                shutil.rmtree(tmp, ignore_errors=True)
    finally:
        x.stop()
    print("%d case(s) failed" % failures if failures else "all end-to-end cases passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
