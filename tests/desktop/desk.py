"""The desktop suite's harness: the real viewer on a private Xvfb display
with a real window manager (openbox), driven by real input (xdotool) and
read only from outside: the screen, the window list and titles, the
clipboard and the files written.

A scenario is a script that calls main(run) with a function run(t) taking
a Test. Every wait is a bounded poll; every process started here ends with
the scenario on every path (also when it is killed: each child gets
SIGKILL when the harness dies). A run that fails keeps its work folder
(logs, screenshots, files) in the folder given by --keep. Exit status: 0
passed, 1 failed, 77 skipped (Xvfb cannot start).
"""

import argparse
import ctypes
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import zlib

SKIP = 77

# The main window's controls, client coordinates (x, y, width, height), as
# the window lays them out at scale 1.
CONTROLS = {
    "Picture1": (192, 16, 377, 449),
    "Command2": (8, 8, 177, 41),
    "List1": (8, 56, 177, 148),
    "mode_clear": (8, 208, 81, 17),
    "mode_back": (8, 224, 105, 17),
    "check_color": (8, 248, 81, 17),
    "color1": (88, 248, 33, 18),
    "color2": (120, 248, 33, 18),
    "color3": (152, 248, 33, 18),
    "File1": (8, 272, 177, 198),
}
CAPTION = {"ko": "Dovenrill의Marbeck Glintmoor", "en": "Dovenrill's Marbeck Glintmoor"}
ENTRY_WORD = {"ko": "항목", "en": "entry"}

_libc = ctypes.CDLL(None, use_errno=True)
PR_SET_PDEATHSIG = 1


def _die_with_parent():
    _libc.prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


class Failure(Exception):
    """A check the scenario cannot go on without."""


class Skipped(Exception):
    pass


def poll(what, predicate, seconds=5.0, interval=0.05):
    """predicate()'s first true value, tried until `seconds` have passed."""
    deadline = time.monotonic() + seconds
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure(f"{what}: not within {seconds:g} s")
        time.sleep(interval)


# --- PNG, both ways (8-bit grey, RGB, palette, grey+alpha, RGBA) -------------


def png_encode(width, height, rgba):
    rows = b"".join(b"\0" + rgba[y * width * 4:(y + 1) * width * 4] for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 6)) + chunk(b"IEND", b""))


def png_decode(data):
    """(width, height, RGBA bytes) of a non-interlaced 8-bit PNG."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, palette, alpha = 8, b"", b"", b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"tRNS":
            alpha = body
        elif kind == b"IDAT":
            idat += body
    if depth != 8 or interlace:
        raise ValueError(f"PNG depth {depth}, interlace {interlace}: not read here")
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    raw, stride = zlib.decompress(idat), width * channels
    out, prior = bytearray(), bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = prior[i], prior[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        prior = line
        for x in range(width):
            px = line[x * channels:(x + 1) * channels]
            if colour == 0:
                out += bytes((px[0],) * 3) + b"\xff"
            elif colour == 2:
                out += px + b"\xff"
            elif colour == 3:
                v = px[0]
                out += palette[v * 3:v * 3 + 3] + bytes((alpha[v] if v < len(alpha) else 255,))
            elif colour == 4:
                out += bytes((px[0],) * 3) + px[1:2]
            else:
                out += px
    return width, height, bytes(out)


CANVAS = (377, 449)


def canvas_with(png, under=None):
    """The canvas (RGB) once the PNG of an entry is drawn over `under`, or
    over white, from (1, 1) on as the window draws: transparent pixels leave
    what is under them."""
    width, height, rgba = png_decode(png)
    cw, ch = CANVAS
    out = bytearray(under or b"\xff" * (cw * ch * 3))
    for y in range(min(height, ch - 1)):
        for x in range(min(width, cw - 1)):
            i = (y * width + x) * 4
            if rgba[i + 3]:
                at = ((y + 1) * cw + x + 1) * 3
                out[at:at + 3] = rgba[i:i + 3]
    return bytes(out)


def difference(a, b, width=CANVAS[0]):
    """'' when two RGB pictures are equal, else how many pixels differ and where the first is."""
    if len(a) != len(b):
        return f"sizes differ ({len(a)} and {len(b)} bytes)"
    count, first = 0, None
    for i in range(0, len(a), 3):
        if a[i:i + 3] != b[i:i + 3]:
            count += 1
            first = first or (i // 3 % width, i // 3 // width, tuple(a[i:i + 3]), tuple(b[i:i + 3]))
    return f"{count} pixels differ, the first at {first[:2]}: {first[2]} against {first[3]}" if count else ""


# --- the display ---------------------------------------------------------------


class Window:
    def __init__(self, wid, name, pid):
        self.id, self.name, self.pid = wid, name, pid

    def __repr__(self):
        return f"{self.id} {self.name!r}"


class Screen:
    """A picture of the whole screen, RGB."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def px(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def region(self, x, y, w, h):
        return b"".join(self.rgb[((y + r) * self.width + x) * 3:((y + r) * self.width + x + w) * 3] for r in range(h))


class Desktop:
    def __init__(self, work, screen):
        self.work, self.screen = work, screen
        self.processes = []
        self.env = {}
        self.shots = 0

    def spawn(self, argv, log, env=None, cwd=None, pass_fds=(), stdin="empty"):
        out = open(os.path.join(self.work, log), "ab")
        source = open(os.path.join(self.work, stdin), "ab+")
        source.seek(0)
        process = subprocess.Popen(argv, stdin=source, stdout=out, stderr=subprocess.STDOUT, env=env or self.env,
                                   cwd=cwd, pass_fds=pass_fds, preexec_fn=_die_with_parent)
        out.close()
        source.close()
        self.processes.append(process)
        return process

    def start(self):
        if shutil.which("Xvfb") is None:
            raise Skipped("Xvfb is not installed (scripts/install-deps test)")
        for tool in ("openbox", "xdotool", "xprop", "xwininfo", "import", "xclip"):
            if shutil.which(tool) is None:
                raise Failure(f"{tool} is not installed (scripts/install-deps test)")
        home = os.path.join(self.work, "home")
        runtime = os.path.join(self.work, "runtime")
        os.makedirs(os.path.join(home, ".config"))
        os.mkdir(runtime, 0o700)
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home,
                    "XDG_CONFIG_HOME": os.path.join(home, ".config"), "XDG_RUNTIME_DIR": runtime,
                    "LC_ALL": "C.UTF-8", "QT_QPA_PLATFORM": "xcb"}
        for name in ("LSAN_OPTIONS", "ASAN_OPTIONS", "UBSAN_OPTIONS"):
            if name in os.environ:
                self.env[name] = os.environ[name]
        # Xvfb picks a free display itself and writes its number to the pipe;
        # -noreset keeps it up between clients.
        reader, writer = os.pipe()
        self.xvfb = self.spawn(["Xvfb", "-displayfd", str(writer), "-screen", "0", f"{self.screen}x24",
                                "-nolisten", "tcp", "-dpi", "96", "-noreset"], "xvfb.log", pass_fds=(writer,))
        os.close(writer)
        # read to the newline: Xvfb dies when the pipe closes before it
        text, deadline = b"", time.monotonic() + 10
        while not text.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([reader], [], [], max(0.0, deadline - time.monotonic()))
            piece = os.read(reader, 32) if ready else b""
            if not piece:
                break
            text += piece
        os.close(reader)
        number = text.decode().strip() if text.endswith(b"\n") else ""
        if not number:
            raise Skipped("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number
        self.wm = self.spawn(["openbox", "--sm-disable"], "openbox.log")
        poll("openbox starting", lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.x("xprop", "-root", quiet=True),
             seconds=10)
        self.x("xdotool", "mousemove", "--sync", "1", "1")

    def x(self, *argv, quiet=False, binary=False, data=None, seconds=5):
        """A tool's standard output; a failed tool raises Failure unless quiet."""
        try:
            done = subprocess.run(argv, input=data, capture_output=True, env=self.env, timeout=seconds)
        except subprocess.TimeoutExpired:
            if quiet:
                return b"" if binary else ""
            raise Failure(f"{' '.join(argv)}: no answer within {seconds} s")
        if done.returncode != 0 and not quiet:
            raise Failure(f"{' '.join(argv)}: {done.stderr.decode(errors='replace').strip()}")
        return done.stdout if binary else done.stdout.decode(errors="replace")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(2)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()

    # --- what is on the screen ---

    def clients(self):
        """The windows the window manager manages, as it lists them."""
        line = self.x("xprop", "-root", "_NET_CLIENT_LIST", quiet=True)
        found = []
        for wid in line.partition("#")[2].replace(",", " ").split():
            props = self.x("xprop", "-id", wid, "_NET_WM_NAME", "_NET_WM_PID", quiet=True)
            name, pid = "", 0
            for prop in props.splitlines():
                if prop.startswith("_NET_WM_NAME") and "=" in prop:
                    name = prop.partition("=")[2].strip().strip('"').replace('\\"', '"')
                elif prop.startswith("_NET_WM_PID") and "=" in prop:
                    pid = int(prop.partition("=")[2])
            found.append(Window(int(wid, 16), name, pid))
        return found

    def geometry(self, window):
        """The client area's (x, y, width, height) on the screen."""
        info = self.x("xwininfo", "-id", str(window.id))
        value = {}
        for line in info.splitlines():
            key, _, rest = line.strip().partition(":")
            value[key] = rest.strip()
        return (int(value["Absolute upper-left X"]), int(value["Absolute upper-left Y"]),
                int(value["Width"]), int(value["Height"]))

    def frame(self, window):
        """The frame's (x, y, width, height): the client and the border around it."""
        x, y, w, h = self.geometry(window)
        line = self.x("xprop", "-id", str(window.id), "_NET_FRAME_EXTENTS", quiet=True)
        left, right, top, bottom = [int(v) for v in line.partition("=")[2].split(",")] if "=" in line else [0] * 4
        return x - left, y - top, w + left + right, h + top + bottom

    def grab(self):
        width, height = (int(v) for v in self.screen.split("x"))
        rgb = self.x("import", "-silent", "-window", "root", "-depth", "8", "rgb:-", binary=True, seconds=10)
        if len(rgb) != width * height * 3:
            raise Failure(f"import gave {len(rgb)} bytes for a {self.screen} screen")
        return Screen(width, height, rgb)

    def shot(self, what):
        self.shots += 1
        path = os.path.join(self.work, f"shot-{self.shots:02d}-{what}.png")
        self.x("import", "-silent", "-window", "root", path, quiet=True, seconds=10)
        return path

    # --- input ---

    def key(self, *keys):
        self.x("xdotool", "key", "--delay", "30", *keys)

    def type(self, text):
        self.x("xdotool", "type", "--delay", "10", text, seconds=20)

    def click(self, x, y, button=1):
        self.x("xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button))

    def activate(self, window):
        self.x("xdotool", "windowactivate", "--sync", str(window.id), quiet=True)

    def clipboard(self, target):
        return self.x("xclip", "-selection", "clipboard", "-o", "-t", target, binary=True, quiet=True)

    def clear_clipboard(self):
        """Puts "-" on the clipboard. xclip stays to own it until another
        program takes it, or the display ends."""
        with open(os.path.join(self.work, "marker.txt"), "w") as f:
            f.write("-")
        self.spawn(["xclip", "-selection", "clipboard", "-i", "marker.txt"], "xclip.log", cwd=self.work).wait(5)


class Viewer:
    """One run of zpkview on the desktop."""

    def __init__(self, t, args, lang=None, env=None, cwd=None, log="viewer"):
        self.t, self.desk = t, t.desk
        environment = dict(self.desk.env)
        environment.update(env or {})
        self.lang = lang or ("en" if environment["LC_ALL"].startswith("en") else "ko")
        argv = [t.options.viewer] + (["--lang", lang] if lang else []) + list(args)
        self.log = log + ".log"
        self.process = self.desk.spawn(argv, self.log, env=environment, cwd=cwd or t.samples)
        self.main = poll(f"the viewer's window ({log})", self._first_window, seconds=10)
        self.desk.activate(self.main)

    def _first_window(self):
        self.need_alive()
        windows = self.windows()
        return windows[0] if windows else None

    def need_alive(self):
        if self.process.poll() is not None:
            raise Failure(f"the viewer ended (status {self.process.returncode}); see {self.log}")

    def windows(self):
        return [w for w in self.desk.clients() if w.pid == self.process.pid]

    def others(self):
        return [w for w in self.windows() if w.id != self.main.id]

    def title(self):
        for w in self.windows():
            if w.id == self.main.id:
                return w.name
        return None

    def wait_other(self, what, seconds=5, besides=None):
        """The newest window of this viewer besides the main one (and `besides`)."""
        def found():
            self.need_alive()
            return [w for w in self.others() if besides is None or w.id != besides.id]
        return poll(what, found, seconds)[-1]

    def wait_alone(self, what, seconds=5):
        poll(what, lambda: self.need_alive() or not self.others(), seconds)

    def control(self, name, dx=None, dy=None):
        """A point on the screen inside a control: its middle, or (dx, dy) from its top left."""
        x, y, w, h = self.desk.geometry(self.main)
        cx, cy, cw, ch = CONTROLS[name]
        return x + cx + (cw // 2 if dx is None else dx), y + cy + (ch // 2 if dy is None else dy)

    def click(self, name, dx=None, dy=None, button=1):
        self.desk.click(*self.control(name, dx, dy), button=button)

    def row(self, listName, row):
        """A point on row `row` of List1 or File1 (rows of 14 pixels under a frame of 1)."""
        return self.control(listName, 20, 1 + 14 * row + 7)

    def click_row(self, listName, row):
        self.desk.click(*self.row(listName, row))

    def canvas(self, screen=None):
        """The canvas's pixels, RGB, and its width."""
        screen = screen or self.desk.grab()
        x, y = self.control("Picture1", 0, 0)
        return screen.region(x, y, 377, 449)

    def title_is(self, expected, what, seconds=3):
        """Waits for the main window's title to be `expected`; a probe."""
        try:
            poll(what, lambda: self.need_alive() or self.title() == expected, seconds)
        except Failure:
            pass
        title = self.title()
        return self.t.check(title == expected, f"{what}: {title!r}" + ("" if title == expected else f", not {expected!r}"))

    def canvas_is(self, expected, what, seconds=5):
        """Waits for the canvas to be `expected`; a probe. The main window
        comes to the front first."""
        self.desk.activate(self.main)
        try:
            poll(what, lambda: self.need_alive() or self.canvas() == expected, seconds)
        except Failure:
            pass
        return self.t.check(not difference(self.canvas(), expected), what + ": " + (
            difference(self.canvas(), expected) or "as expected"))

    def through_dialog(self, keys, path, what, select_all=False):
        """Opens a file dialog with `keys`, types `path` into it and presses
        Return; the dialog must close."""
        if keys:
            self.desk.activate(self.main)
            self.desk.key(*keys)
        dialog = self.wait_other(what)
        if select_all:
            self.desk.key("ctrl+a")
        self.desk.type(path)
        self.desk.key("Return")
        poll(what + " closing", lambda: self.need_alive() or all(w.id != dialog.id for w in self.windows()))

    def menu(self, downs, open_keys=("shift+F10",)):
        """Opens the canvas menu and chooses its item `downs` steps down."""
        self.desk.activate(self.main)
        before = self.visible()
        self.desk.key(*open_keys)
        # the popup takes the keyboard once it is mapped
        poll("the canvas menu", lambda: self.need_alive() or self.visible() > before, seconds=3)
        self.desk.key(*(["Down"] * downs), "Return")

    def visible(self):
        """How many windows of the viewer are mapped, popups among them."""
        return len(self.desk.x("xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid),
                               quiet=True).split())

    def row_selected(self, listName, row, screen=None):
        """Whether a row of List1 or File1 shows the selection colour (blue)."""
        screen = screen or self.desk.grab()
        x, y = self.row(listName, row)
        r, g, b = screen.px(x + 130, y)
        return b > r + 60

    def message_text(self, box):
        """What a message box copies on Ctrl+C (its title, text and buttons),
        or None when nothing comes: Qt 6 before 6.5 copies only on Windows."""
        self.desk.clear_clipboard()
        self.desk.activate(box)
        self.desk.key("ctrl+c")
        try:
            text = poll("the message box's text on the clipboard",
                        lambda: (lambda c: c if c and c != b"-" else None)(self.desk.clipboard("UTF8_STRING")),
                        seconds=1.5)
        except Failure:
            self.t.note("NOTE: Ctrl+C on the message box copied nothing (this Qt copies no box text on X11)")
            return None
        return text.decode(errors="replace")

    def quit(self):
        self.desk.activate(self.main)
        self.desk.key("ctrl+q")
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            raise Failure("Ctrl+Q did not end the viewer within 5 s")


class Test:
    def __init__(self, options, work):
        self.options, self.work = options, work
        self.samples = options.samples
        self.failures = []
        self.desk = None

    def note(self, text):
        print("  " + text, flush=True)

    def check(self, condition, what):
        """A probe: a failure is told and counted, and the scenario goes on."""
        if condition:
            self.note("ok: " + what)
        else:
            print("FAIL: " + what, flush=True)
            self.failures.append(what)
            if self.desk is not None:
                self.desk.shot("fail")
        return condition

    def viewer(self, *args, **kwargs):
        return Viewer(self, args, **kwargs)

    def path(self, *parts):
        return os.path.join(self.work, *parts)

    def zpk(self, *args):
        done = subprocess.run([self.options.zpk, *args], capture_output=True, timeout=60)
        if done.returncode != 0:
            raise Failure(f"zpk {' '.join(args)}: {done.stderr.decode(errors='replace').strip()}")
        return done.stdout

    def export(self, container, row, *options):
        """The PNG `zpk export` writes for one entry."""
        return self.zpk("export", container, "--entry", str(row), "-o", "-", *options)


def _terminate(signum, _frame):
    raise SystemExit(128 + signum)


def main(run, screen="1024x768"):
    """Runs one scenario: run(t) on a fresh desktop. Exits with its status."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--zpk", required=True)
    parser.add_argument("--samples", required=True)
    parser.add_argument("--keep", required=True, help="the folder a failed run is kept in")
    options = parser.parse_args()
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, _terminate)
    shutil.rmtree(options.keep, ignore_errors=True)
    work = tempfile.mkdtemp(prefix="zpk-desktop.")
    t = Test(options, work)
    status = 1
    try:
        t.desk = Desktop(work, screen)
        t.desk.start()
        print(f"Xvfb on {t.desk.env['DISPLAY']} ({screen}), openbox", flush=True)
        run(t)
        status = 1 if t.failures else 0
    except Skipped as skipped:
        print(f"SKIP: {skipped}", flush=True)
        status = SKIP
    except Failure as failure:
        print(f"FAIL: {failure}", flush=True)
        t.failures.append(str(failure))
        if t.desk is not None and "DISPLAY" in t.desk.env:
            t.desk.shot("end")
    except BaseException:
        traceback.print_exc()
        status = 1 if not isinstance(sys.exc_info()[1], SystemExit) else sys.exc_info()[1].code
        t.failures.append("interrupted")
    finally:
        if t.desk is not None:
            t.desk.stop()
        if t.failures and status != SKIP:
            status = status or 1
            print(f"{len(t.failures)} probe(s) failed; the logs and pictures of this run are in {options.keep}")
            shutil.copytree(work, options.keep, symlinks=True, dirs_exist_ok=True)
        shutil.rmtree(work, ignore_errors=True)
    if status == 0:
        print("all probes passed")
    sys.exit(status)
