#!/usr/bin/env python3
"""End-to-end tests of TazuClick.exe under Wine and Xvfb.

Each case runs the real program in a private Wine prefix (LANG=ja_JP.UTF-8, so
code page 932; X11 driver with Managed=N) on its own Xvfb display, with a
target window of ours (WineTarget.exe) under every resting spot: Wine's
injected input reaches only Wine windows, and lands where one of them last saw
the pointer. The pointer is moved with xdotool; what the target received, the
settings file, the toolbar's window rectangle and the screen's pixels are what
the cases check. Every process started here is ended by its PID.

  wine_e2e.py prepare --work DIR                 locale and prefix, once
  wine_e2e.py run CASE --work DIR --bin DIR --sound FILE
  wine_e2e.py screenshots OUTDIR --work DIR --bin DIR --sound FILE
  wine_e2e.py list
"""
import argparse
import glob
import os
import pathlib
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

SCREEN = (1280, 1024)
FRAME = 3  # the dialog frame around the toolbar's client area
CLIENT_WIDTH = 220

# Button columns of the client area, from the layout.
BUTTONS = {"single": (23, 71), "drag": (93, 61), "right": (153, 31), "alt": (183, 37)}

SECTION_TIMER = "クリック開始までの時間"
SECTION_YPOS = "起動時の縦座標"
SECTION_XPOS = "起動時の横座標"
SECTION_CHASE = "追いかけモード"
SECTION_SOUND = "動作時の音"
SECTION_LARGE = "拡大表示"
SECTION_START = "起動時の状態"
SECTION_VERSION = "バージョン"
TITLE = "「たずクリック。」Ver2.20"

YELLOW = (255, 255, 0)
RED = (255, 0, 0)
GREEN = (0, 128, 0)
FUCHSIA = (255, 0, 255)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wine_binary(name):
    for candidate in (f"/usr/lib/wine/{name}", shutil.which(name)):
        if candidate and os.path.exists(candidate):
            return candidate
    raise Failure(f"{name} not found: install wine and wine64")


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        return False


def is_wineserver(pid):
    try:
        return os.path.basename(os.readlink(f"/proc/{pid}/exe")).startswith("wineserver")
    except OSError:  # already gone
        return False


def kill_pid(pid, grace=3.0):
    """Ends one process of ours: SIGTERM, then SIGKILL after the grace time."""
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    end = time.time() + grace
    while time.time() < end:
        try:
            done, _ = os.waitpid(pid, os.WNOHANG)
            if done:
                return
        except ChildProcessError:  # not our child: poll for its end
            if not alive(pid):
                return
        time.sleep(0.05)
    try:
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
    except (ProcessLookupError, ChildProcessError):
        pass


class Environment:
    """The private Wine world of one work folder."""

    def __init__(self, work):
        self.work = os.path.abspath(work)
        self.prefix = os.path.join(self.work, "prefix")
        self.home = os.path.join(self.work, "home")
        self.locale = os.path.join(self.work, "locale")
        self.wine = wine_binary("wine64") if os.path.exists("/usr/lib/wine/wine64") \
            else wine_binary("wine")
        self.wineserver = wine_binary("wineserver")

    def env(self, display):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "WINE"))}
        env.update({
            "HOME": self.home,
            "WINEPREFIX": self.prefix,
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            # No Mono or Gecko installers, no menu entries on the host.
            "WINEDLLOVERRIDES": "mscoree,mshtml,winemenubuilder.exe=d",
            "LANG": "ja_JP.UTF-8",
            "LC_ALL": "ja_JP.UTF-8",
            "LOCPATH": self.locale,
            "DISPLAY": f":{display}",
        })
        return env

    def prefix_processes(self):
        """PIDs of the processes that run in this prefix (Wine starts helpers of
        its own: services, devices, the desktop)."""
        mark = f"WINEPREFIX={self.prefix}".encode()
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) == os.getpid():
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as f:
                    if mark in f.read().split(b"\0"):
                        found.append(int(entry))
            except OSError:
                pass
        return found

    def settings_path(self):
        users = [u for u in glob.glob(os.path.join(self.prefix, "drive_c", "users", "*"))
                 if os.path.basename(u) != "Public"]
        check(users, "no user folder in the prefix")
        return os.path.join(users[0], "AppData", "Roaming", "Tazu", "TazuClick.ini")


class Session:
    """One Xvfb display and one wineserver; ends everything it started."""

    def __init__(self, environment, screen=SCREEN):
        self.e = environment
        self.screen = screen
        self.processes = []
        self.xvfb = None
        self.server = None
        self.display = None
        self.pointer = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{self.screen[0]}x{self.screen[1]}x24", "-noreset", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        text = b""
        end = time.time() + 20
        while not text.endswith(b"\n") and time.time() < end:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            text += chunk
        os.close(read_end)
        check(text.strip().isdigit(), "Xvfb did not report its display")
        self.display = int(text)
        self.env = self.e.env(self.display)
        os.makedirs(self.e.home, exist_ok=True)
        # Our own persistent server, ready before any program starts: without
        # -f it returns once it listens. Its prefix must exist first, or it
        # exits and the first program starts a server of its own that
        # inherits that program's output and ends on its own schedule.
        os.makedirs(self.e.prefix, exist_ok=True)
        try:
            subprocess.run([self.e.wineserver, "-p"], env=self.env, check=True, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            servers = [pid for pid in self.e.prefix_processes() if is_wineserver(pid)]
            check(len(servers) == 1, f"expected one wineserver for the prefix, found {servers}")
        except BaseException:
            self.__exit__()  # no Xvfb or server left behind
            raise
        self.server = servers[0]
        return self

    def __exit__(self, *exc):
        for p in self.processes:
            if p.poll() is None:
                kill_pid(p.pid)
        for pid in self.e.prefix_processes():
            if pid != self.server:
                kill_pid(pid)
        # SIGTERM lets the server write the registry back before it goes.
        if self.server:
            kill_pid(self.server, grace=10)
        kill_pid(self.xvfb.pid)
        return False

    # -- programs
    def start(self, argv, cwd=None, stdout=subprocess.DEVNULL):
        p = subprocess.Popen([self.e.wine] + argv, cwd=cwd, env=self.env, stdout=stdout,
                             stderr=subprocess.DEVNULL)
        self.processes.append(p)
        return p

    def run(self, argv, cwd=None, timeout=60):
        # Output through a file, not a pipe: the helpers Wine starts for a
        # program inherit its descriptors and outlive it.
        with tempfile.TemporaryFile() as out:
            p = self.start(argv, cwd=cwd, stdout=out)
            try:
                p.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                kill_pid(p.pid)
                raise Failure(f"{argv} did not finish in {timeout} s")
            out.seek(0)
            return p.returncode, out.read().decode("utf-8", "replace")

    # -- X side
    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def move(self, x, y):
        # --sync waits for the pointer to move, so never ask for where it is.
        if (x, y) != self.pointer:
            self.xdotool("mousemove", "--sync", x, y)
        self.pointer = (x, y)

    def glide(self, x0, y0, x1, y1, steps=10):
        for i in range(1, steps + 1):
            self.xdotool("mousemove", x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
            time.sleep(0.03)
        self.pointer = (x1, y1)

    def screenshot(self):
        data = subprocess.run(["xwd", "-root", "-silent"], env=self.env, check=True,
                              stdout=subprocess.PIPE).stdout
        return Screen(data)


class Screen:
    """A screenshot in xwd format, read pixel by pixel as (r, g, b)."""

    def __init__(self, data):
        fields = struct.unpack(">25I", data[:100])
        self.data = data
        self.width, self.height = fields[4], fields[5]
        self.order = "little" if fields[7] == 0 else "big"
        bits_per_pixel, self.line = fields[11], fields[12]
        check(bits_per_pixel in (24, 32), f"unexpected xwd pixel size {bits_per_pixel}")
        self.size = bits_per_pixel // 8
        self.masks = fields[14:17]
        self.shifts = [(m & -m).bit_length() - 1 for m in self.masks]
        self.offset = fields[0] + fields[19] * 12

    def __getitem__(self, point):
        x, y = point
        start = self.offset + y * self.line + x * self.size
        v = int.from_bytes(self.data[start:start + self.size], self.order)
        return tuple((v & m) >> s for m, s in zip(self.masks, self.shifts))

    def crop(self, rect, margin=8):
        left, top, right, bottom = rect
        xs = range(max(0, left - margin), min(self.width, right + margin))
        ys = range(max(0, top - margin), min(self.height, bottom + margin))
        return [[self[x, y] for x in xs] for y in ys]


def write_png(path, rows):
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + \
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def ini_bytes(sections):
    """A settings file as Windows' profile functions write it: CRLF, Shift-JIS."""
    lines = []
    for section, (key, value) in sections:
        lines += [f"[{section}]", f"{key}={value}"]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Toolbar:
    """The program and its target, in one session."""

    def __init__(self, session, bin_dir, sound, name):
        self.s = session
        self.bin = bin_dir
        self.case_dir = os.path.join(session.e.work, "cases", name)
        shutil.rmtree(self.case_dir, ignore_errors=True)
        self.app_dir = os.path.join(self.case_dir, "app")
        os.makedirs(self.app_dir)
        shutil.copy(os.path.join(bin_dir, "TazuClick.exe"), self.app_dir)
        shutil.copy(sound, os.path.join(self.app_dir, "Tazuclick.wav"))
        self.log = os.path.join(self.case_dir, "target.log")
        self.settings = session.e.settings_path()
        shutil.rmtree(os.path.dirname(self.settings), ignore_errors=True)
        self.process = None

    # -- setup
    def write_settings(self, **values):
        """Presets the settings file; values not given are left out of it."""
        order = [("timer", SECTION_TIMER, "Timer"), ("ypos", SECTION_YPOS, "YPOS"),
                 ("xpos", SECTION_XPOS, "XPOS"), ("chase", SECTION_CHASE, "ON"),
                 ("sound", SECTION_SOUND, "ON"), ("large", SECTION_LARGE, "ON"),
                 ("start", SECTION_START, "ON")]
        sections = [(s, (k, values[n])) for n, s, k in order if n in values]
        os.makedirs(os.path.dirname(self.settings), exist_ok=True)
        with open(self.settings, "wb") as f:
            f.write(ini_bytes(sections))

    def start_target(self, x=200, y=200, height=840):
        self.s.start([os.path.join(self.bin, "WineTarget.exe"), str(height),
                      windows_path(self.log)])
        wait_for(lambda: os.path.exists(self.log) and "ready" in read(self.log), 30,
                 "the target window did not start")
        # Wine must see the pointer over one of its windows before anything is injected.
        self.s.move(x + 5, y + 5)
        self.s.move(x, y)

    def start(self):
        self.process = self.s.start([os.path.join(self.app_dir, "TazuClick.exe")],
                                    cwd=self.app_dir)
        self.rect = wait_for(self.window_rect, 30, "the toolbar did not appear")
        return self.process

    # -- observation
    def window_rect(self):
        rc, out = self.s.run([os.path.join(self.bin, "WineProbe.exe"), "toolbar"])
        if rc != 0:
            return None
        return tuple(int(v) for v in out.split())

    def client_origin(self):
        self.rect = self.window_rect()
        return self.rect[0] + FRAME, self.rect[1] + FRAME

    def button_centre(self, name):
        left, width = BUTTONS[name]
        x0, y0 = self.client_origin()
        height = self.rect[3] - self.rect[1] - 2 * FRAME
        return x0 + left + width // 2, y0 + height // 2

    def events(self):
        return [line for line in read(self.log).splitlines() if line != "ready"]

    def settings_bytes(self):
        try:
            with open(self.settings, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def setting(self, section, key):
        data = self.settings_bytes() or b""
        current = None
        for line in data.decode("cp932").splitlines():
            if line.startswith("["):
                current = line.strip("[]")
            elif current == section and line.startswith(key + "="):
                return line[len(key) + 1:]
        return None

    def button_pixel(self, name):
        """A face pixel of the button, clear of its bevels and caption."""
        left, _ = BUTTONS[name]
        x0, y0 = self.client_origin()
        return self.s.screenshot()[x0 + left + 4, y0 + 3]

    # -- actions
    # Every move is one jump: a probe tick and a countdown tick can fall due
    # together, and then a pointer that merely passes by is taken as resting.
    def rest_on(self, name, seconds):
        self.s.move(*self.button_centre(name))
        time.sleep(seconds)

    def dwell_at(self, x, y):
        """Moves to a spot over the target and rests there."""
        self.s.move(x, y)


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def wait_for(predicate, timeout, message):
    end = time.time() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.time() > end:
            raise Failure(message)
        time.sleep(0.1)


FAST = dict(timer="5", ypos="900", xpos="900", chase="0", sound="0", large="1", start="1")


def wait_events(t, wanted, timeout=8):
    """Waits until the target's log holds the wanted lines in this order."""
    def found():
        events = t.events()
        i = 0
        for e in events:
            if i < len(wanted) and e == wanted[i]:
                i += 1
        return i == len(wanted)
    try:
        wait_for(found, timeout, "")
    except Failure:
        raise Failure(f"target expected {wanted}, got {t.events()}")


def wait_colour(t, name, wanted, timeout=4.0):
    try:
        wait_for(lambda: t.button_pixel(name) == wanted, timeout, "")
    except Failure:
        raise Failure(f"{name} button shows {t.button_pixel(name)}, not {wanted}")


def select(t, name):
    # The decision takes two seconds; the long hover on the drag button, ten.
    t.rest_on(name, 2.0)
    wait_colour(t, name, YELLOW)


# ---------------------------------------------------------------- cases

def case_single_click(t):
    t.write_settings(**FAST)
    t.start_target()
    t.start()
    t.dwell_at(400, 300)
    wait_events(t, ["down L 400 300", "up L 400 300"])
    time.sleep(2.0)  # one rest gives one action
    check(t.events() == ["down L 400 300", "up L 400 300"], f"extra events: {t.events()}")


def case_double_click(t):
    t.write_settings(**FAST)
    t.start_target()
    t.start()
    select(t, "single")
    t.dwell_at(500, 350)
    wait_events(t, ["down L 500 350", "up L 500 350", "dblclk L 500 350", "up L 500 350"])
    wait_for(lambda: t.button_pixel("single") != YELLOW, 4,
             "double click still selected after it ran")


def case_right_click(t):
    t.write_settings(**FAST)
    t.start_target()
    t.start()
    select(t, "right")
    t.dwell_at(450, 420)
    wait_events(t, ["down R 450 420", "up R 450 420"])
    check(not any(e.startswith(("down L", "up L")) for e in t.events()),
          f"a left click came with the right click: {t.events()}")


def case_alt_key(t):
    t.write_settings(**FAST)
    t.start_target()
    t.start()
    # A first click brings the target to the foreground, where the key goes.
    t.dwell_at(300, 500)
    wait_events(t, ["down L 300 500", "up L 300 500"])
    select(t, "alt")
    t.dwell_at(600, 500)
    wait_events(t, ["syskey down 0x12", "syskey up 0x12"])
    check(not any(e.endswith(" 600 500") for e in t.events()),
          f"the Alt action clicked too: {t.events()}")


def case_drag(t):
    t.write_settings(**FAST)
    t.start_target()
    t.start()
    select(t, "drag")
    t.dwell_at(300, 300)
    wait_events(t, ["down L 300 300"])
    t.s.move(500, 400)
    wait_events(t, ["down L 300 300", "move L 500 400", "up L 500 400"])
    check(not any(e.startswith("up L 300") for e in t.events()),
          f"the press was released before the drag: {t.events()}")


def case_move_toolbar(t):
    t.write_settings(**FAST)
    t.start_target()
    t.start()
    left, top = t.rect[0], t.rect[1]
    x, y = t.client_origin()
    grab = (x + 10, y + 10)  # the bare background left of the first button
    t.s.move(*grab)
    time.sleep(0.5)
    t.s.xdotool("mousedown", 1)
    t.s.glide(grab[0], grab[1], grab[0] - 120, grab[1] - 200, steps=20)
    t.s.xdotool("mouseup", 1)
    rect = wait_for(lambda: (r := t.window_rect()) and r[:2] != (left, top) and r, 10,
                    "the toolbar did not move")
    check(rect[:2] == (left - 120, top - 200), f"toolbar at {rect[:2]}, expected "
          f"{(left - 120, top - 200)}")
    # The pointer rests on the background: the next hit test saves the position.
    wait_for(lambda: t.setting(SECTION_XPOS, "XPOS") == str(left - 120) and
             t.setting(SECTION_YPOS, "YPOS") == str(top - 200), 10,
             f"position not saved: XPOS={t.setting(SECTION_XPOS, 'XPOS')} "
             f"YPOS={t.setting(SECTION_YPOS, 'YPOS')}")


def case_settings_shift_jis(t):
    t.start_target(100, 100)
    t.start()
    first_run = ini_bytes([(SECTION_START, ("ON", "1"))])
    wait_for(lambda: t.settings_bytes() is not None, 10, "no settings file")
    check(t.settings_bytes() == first_run, f"before any save: {t.settings_bytes()!r}")
    check(t.rect[:2] == (SCREEN[0] // 2, SCREEN[1] // 2), f"first position {t.rect[:2]}")
    x, y = t.client_origin()
    t.s.move(x + 10, y + 10)  # over the background: a hit test saves
    expected = ini_bytes([
        (SECTION_START, ("ON", "1")), (SECTION_TIMER, ("Timer", "30")),
        (SECTION_YPOS, ("YPOS", "512")), (SECTION_XPOS, ("XPOS", "640")),
        (SECTION_CHASE, ("ON", "0")), (SECTION_SOUND, ("ON", "1")),
        (SECTION_LARGE, ("ON", "1")), (SECTION_VERSION, ("Ver", TITLE))])
    try:
        wait_for(lambda: t.settings_bytes() == expected, 10, "")
    except Failure:
        raise Failure(f"settings file:\n{t.settings_bytes()!r}\nexpected:\n{expected!r}")


def case_second_copy(t):
    t.write_settings(**FAST)
    t.start_target()
    first = t.start()
    before = t.settings_bytes()
    second = t.s.start([os.path.join(t.app_dir, "TazuClick.exe")], cwd=t.app_dir)
    rc, out = t.s.run([os.path.join(t.bin, "WineProbe.exe"), "press-ok", "20000"])
    check(rc == 0, "no message box from the second copy")
    check(out.splitlines() == ["警告", "｢たずクリック。」はすでに実行されています！"],
          f"message box: {out!r}")
    try:
        code = second.wait(timeout=20)
    except subprocess.TimeoutExpired:
        raise Failure("the second copy did not exit after OK")
    check(code == 0, f"the second copy exited with {code}")
    check(first.poll() is None and t.window_rect(), "the first copy did not survive")
    check(t.settings_bytes() == before, "the second copy touched the settings file")


def case_unwritable_settings(t):
    # A folder where the file should be: every write of it fails.
    os.makedirs(t.settings)
    t.start_target()
    process = t.s.start([os.path.join(t.app_dir, "TazuClick.exe")], cwd=t.app_dir)
    rc, out = t.s.run([os.path.join(t.bin, "WineProbe.exe"), "press-ok", "20000"])
    check(rc == 0, "no error box for the settings file")
    user = pathlib.Path(t.settings).parents[3].name
    path = f"C:\\users\\{user}\\AppData\\Roaming\\Tazu\\TazuClick.ini"
    check(out.splitlines() == [TITLE, f"{path} に書き込めません"], f"error box: {out!r}")
    # The program goes on with the defaults: the toolbar appears at the centre.
    rect = wait_for(t.window_rect, 20, "no toolbar after the error")
    check(rect[:2] == (SCREEN[0] // 2, SCREEN[1] // 2), f"toolbar at {rect[:2]}")
    check(process.poll() is None, "the program ended after the error")


def case_start_off(t):
    t.write_settings(**dict(FAST, start="0"))
    t.start_target()
    t.start()
    check(t.button_pixel("alt") == RED, f"OnButton at start: {t.button_pixel('alt')}")
    t.dwell_at(400, 300)
    time.sleep(4.0)
    check(t.events() == [], f"a dwell acted while OFF: {t.events()}")
    # Resting on the OFF button switches clicking on again.
    t.rest_on("alt", 2.0)
    wait_for(lambda: t.button_pixel("alt") != RED, 4, "still OFF after a rest on the button")
    t.dwell_at(420, 320)
    wait_events(t, ["down L 420 320", "up L 420 320"])


def open_menu(t):
    x, y = t.client_origin()
    t.s.move(x + 10, y + 10)
    time.sleep(0.5)
    t.s.xdotool("click", 3)
    time.sleep(1.0)


def case_menu_keyboard(t):
    t.write_settings(**FAST)
    t.start_target()
    process = t.start()
    height = t.rect[3] - t.rect[1]
    check(height == 40 + 2 * FRAME, f"large toolbar height {height}")
    open_menu(t)
    t.s.xdotool("key", "v")  # 大きく表示(&V)
    wait_for(lambda: (r := t.window_rect()) and r[3] - r[1] == 20 + 2 * FRAME, 10,
             f"the large-display command did not shrink the toolbar: {t.window_rect()}")
    wait_for(lambda: t.setting(SECTION_LARGE, "ON") == "0", 5, "display size not saved")
    open_menu(t)
    t.s.xdotool("key", "t")  # クリック時間(&T)
    time.sleep(0.5)
    t.s.xdotool("key", "9")  # 9  (&9)
    wait_for(lambda: t.setting(SECTION_TIMER, "Timer") == "90", 5, "click time not saved")
    open_menu(t)
    t.s.xdotool("key", "x")  # 終了(&X)
    time.sleep(0.5)
    t.s.xdotool("key", "f")  # OFFで起動(&F)
    try:
        code = process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise Failure("the exit command did not end the program")
    check(code == 0, f"exit code {code}")
    check(t.setting(SECTION_START, "ON") == "0", "the next start is not OFF")


CASES = {
    "single_click": case_single_click,
    "double_click": case_double_click,
    "right_click": case_right_click,
    "alt_key": case_alt_key,
    "drag": case_drag,
    "move_toolbar": case_move_toolbar,
    "settings_shift_jis": case_settings_shift_jis,
    "second_copy": case_second_copy,
    "start_off": case_start_off,
    "unwritable_settings": case_unwritable_settings,
    "menu_keyboard": case_menu_keyboard,
}


# ------------------------------------------------------------- commands

def prepare(args):
    e = Environment(args.work)
    os.makedirs(e.work, exist_ok=True)
    if not os.path.isdir(os.path.join(e.locale, "ja_JP.UTF-8")):
        os.makedirs(e.locale, exist_ok=True)
        subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8",
                        os.path.join(e.locale, "ja_JP.UTF-8")], check=True)
    if os.path.exists(os.path.join(e.prefix, "system.reg")):
        return 0
    shutil.rmtree(e.prefix, ignore_errors=True)
    with Session(e) as s:
        rc, _ = s.run(["wineboot", "-i"], timeout=300)
        check(rc == 0, f"wineboot failed ({rc})")
        for key, name, value in [
                (r"HKCU\Software\Wine\X11 Driver", "Managed", "N"),
                (r"HKCU\Software\Wine\X11 Driver", "Decorated", "N"),
                # No sound device: PlaySound returns at once instead of waiting for one.
                (r"HKCU\Software\Wine\Drivers", "Audio", "")]:
            rc, _ = s.run(["reg", "add", key, "/v", name, "/d", value, "/f"])
            check(rc == 0, f"reg add {key} {name} failed")
    return 0


def run_case(args):
    e = Environment(args.work)
    check(os.path.exists(os.path.join(e.prefix, "system.reg")), "run 'prepare' first")
    with Session(e) as s:
        t = Toolbar(s, args.bin, args.sound, args.case)
        try:
            CASES[args.case](t)
        except Failure:
            shot = os.path.join(t.case_dir, "failure.png")
            try:
                screen = s.screenshot()
                write_png(shot, screen.crop((0, 0, screen.width, screen.height), 0))
                print(f"screen at the failure: {shot}", file=sys.stderr)
            except Exception:  # the report matters more than the picture
                pass
            raise
    print(f"{args.case}: passed")
    return 0


def screenshots(args):
    e = Environment(args.work)
    os.makedirs(args.outdir, exist_ok=True)
    with Session(e) as s:
        t = Toolbar(s, args.bin, args.sound, "screenshots")
        t.write_settings(**dict(FAST, large="0"))
        t.start_target()
        t.start()
        t.s.move(100, 100)
        time.sleep(1.0)
        write_png(os.path.join(args.outdir, "toolbar-normal.png"),
                  s.screenshot().crop(t.window_rect()))
        open_menu(t)
        t.s.xdotool("key", "v")
        wait_for(lambda: (r := t.window_rect()) and r[3] - r[1] == 40 + 2 * FRAME, 10,
                 "no large display")
        t.s.move(100, 100)
        time.sleep(1.0)
        write_png(os.path.join(args.outdir, "toolbar-large.png"),
                  s.screenshot().crop(t.window_rect()))
        t.rest_on("drag", 10.8)  # ten seconds on the drag button: continuous drag
        t.s.move(100, 100)
        time.sleep(1.0)
        screen = s.screenshot()
        write_png(os.path.join(args.outdir, "toolbar-continuous-drag.png"),
                  screen.crop(t.window_rect()))
        x, y = t.client_origin()
        check(screen[x + 2, y + 2] == FUCHSIA, f"continuous drag background {screen[x + 2, y + 2]}")
    for name in ("toolbar-normal", "toolbar-large", "toolbar-continuous-drag"):
        print(os.path.join(args.outdir, name + ".png"))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("prepare")
    p.add_argument("--work", required=True)
    for name in ("run", "screenshots"):
        p = sub.add_parser(name)
        if name == "run":
            p.add_argument("case", choices=sorted(CASES))
        else:
            p.add_argument("outdir")
        p.add_argument("--work", required=True)
        p.add_argument("--bin", required=True, help="folder of TazuClick.exe and the helpers")
        p.add_argument("--sound", required=True, help="the Tazuclick.wav to put beside it")
    sub.add_parser("list")
    args = parser.parse_args()
    try:
        if args.command == "prepare":
            return prepare(args)
        if args.command == "run":
            return run_case(args)
        if args.command == "screenshots":
            return screenshots(args)
        print("\n".join(sorted(CASES)))
        return 0
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
