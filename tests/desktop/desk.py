"""The desktop suite's harness: the real viewer on a private Xvfb display
with openbox, driven by real input (xdotool) and read only from outside:
the screen, the window list and titles, the selections and the files
written. A scenario calls main(run); run(t) gets a Test. Every wait is a
bounded poll; every process started here ends with the scenario on every
path (a child gets SIGKILL when the harness dies). A failed run's work
folder (logs, screenshots, files) is kept in --keep. Exit status: 0
passed, 1 failed, 77 skipped (Xvfb cannot start)."""

import argparse
import collections
import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

# The main window's controls, client (x, y, width, height) at scale 1.
CONTROLS = {
    "Picture1": (192, 16, 377, 449),
    "List1": (8, 56, 177, 148),
    "mode_clear": (8, 208, 81, 17),
    "mode_back": (8, 224, 105, 17),
    "check_color": (8, 248, 81, 17),
    "color1": (88, 248, 33, 18),
    "color3": (152, 248, 33, 18),
    "File1": (8, 272, 177, 198),
}
CANVAS = CONTROLS["Picture1"][2:]
# Just inside a message box's text label, client coordinates: right of the
# icon, below the top margin.
LABEL = (63, 14)
CAPTION = {"ko": "Dovenrill의Marbeck Glintmoor", "en": "Dovenrill's Marbeck Glintmoor"}
Window = collections.namedtuple("Window", "id name pid")
_prctl = ctypes.CDLL(None).prctl


class Failure(Exception):
    """A check the scenario cannot go on without."""


class Skipped(Exception):
    pass


def within(predicate, seconds=3.0):
    """predicate()'s first true value within `seconds`, else its last one."""
    deadline = time.monotonic() + seconds
    while not (value := predicate()) and time.monotonic() < deadline:
        time.sleep(0.05)
    return value


def poll(what, predicate, seconds=5.0):
    if not (value := within(predicate, seconds)):
        raise Failure(f"{what}: not within {seconds:g} s")
    return value


def convert(*args, data=None):
    return subprocess.run(["convert", *args], input=data, capture_output=True, check=True, timeout=30).stdout


def pixels(png):
    """A PNG's size and RGBA pixels (a PAM), to compare pictures."""
    return convert("png:-", "-type", "TrueColorAlpha", "-depth", "8", "pam:-", data=png)


def write_png(path, width, height, rgb):
    convert("-size", f"{width}x{height}", "-depth", "8", "rgb:-", "PNG32:" + path, data=rgb)
    return path


def canvas_with(png, under=None):
    """The canvas (RGB) once an entry's PNG is drawn over `under` (else
    white) from (1, 1) on, as the window draws it."""
    with tempfile.NamedTemporaryFile(suffix=".png") as f:
        f.write(png)
        f.flush()
        return convert("-size", "%dx%d" % CANVAS, "-depth", "8", "rgb:-", f.name, "-geometry", "+1+1", "-composite",
                       "-depth", "8", "rgb:-", data=under or b"\xff" * (CANVAS[0] * CANVAS[1] * 3))


def difference(a, b):
    """'' when two canvases (RGB) are equal, else how many pixels differ and the first."""
    if len(a) != len(b):
        return f"sizes differ ({len(a)} and {len(b)} bytes)"
    differ = [i for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3]]
    i = differ[0] if differ else 0
    return differ and (f"{len(differ)} pixels differ, the first at {(i // 3 % CANVAS[0], i // 3 // CANVAS[0])}: "
                       f"{tuple(a[i:i + 3])} against {tuple(b[i:i + 3])}")


class Screen:
    """A picture of the whole screen, RGB."""

    def __init__(self, width, rgb):
        self.width, self.rgb = width, rgb

    def px(self, x, y):
        return tuple(self.rgb[(y * self.width + x) * 3:(y * self.width + x + 1) * 3])

    def region(self, x, y, w, h):
        return b"".join(self.rgb[((y + r) * self.width + x) * 3:((y + r) * self.width + x + w) * 3] for r in range(h))


class Test:
    """One scenario's desktop, its processes and its probes."""

    def __init__(self, options, work, screen):
        self.options, self.work, self.screen, self.samples = options, work, screen, options.samples
        self.failures, self.processes, self.shots, self.display = [], [], 0, None
        os.makedirs(self.path("home", ".config"))
        os.mkdir(self.path("runtime"), 0o700)
        open(self.path("empty"), "w").close()
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.path("home"),
                    "XDG_CONFIG_HOME": self.path("home", ".config"), "XDG_RUNTIME_DIR": self.path("runtime"),
                    "LC_ALL": "C.UTF-8", "QT_QPA_PLATFORM": "xcb"}
        self.env.update({k: os.environ[k] for k in ("LSAN_OPTIONS", "ASAN_OPTIONS", "UBSAN_OPTIONS") if k in os.environ})

    def path(self, *parts):
        return os.path.join(self.work, *parts)

    def spawn(self, argv, log, env=None, cwd=None, pass_fds=()):
        with open(self.path(log), "ab") as out, open(self.path("empty"), "rb") as empty:
            self.processes.append(subprocess.Popen(argv, stdin=empty, stdout=out, stderr=subprocess.STDOUT,
                                                   env=env or self.env, cwd=cwd, pass_fds=pass_fds,
                                                   preexec_fn=lambda: _prctl(1, signal.SIGKILL)))  # PR_SET_PDEATHSIG
        return self.processes[-1]

    def start(self):
        if shutil.which("Xvfb") is None:
            raise Skipped("Xvfb is not installed (scripts/install-deps test)")
        for tool in ("openbox", "xdotool", "xprop", "xwininfo", "import", "convert", "xclip"):
            if shutil.which(tool) is None:
                raise Failure(f"{tool} is not installed (scripts/install-deps test)")
        # Xvfb picks a free display and writes its number to the pipe; it dies
        # when the pipe closes before the newline. -noreset keeps it up.
        reader, writer = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(writer), "-screen", "0", f"{self.screen}x24", "-nolisten", "tcp",
                    "-dpi", "96", "-noreset"], "xvfb.log", pass_fds=(writer,))
        os.close(writer)
        number, deadline = b"", time.monotonic() + 10
        while not number.endswith(b"\n") and select.select([reader], [], [], max(0, deadline - time.monotonic()))[0]:
            if not (piece := os.read(reader, 32)):
                break
            number += piece
        os.close(reader)
        if not number.endswith(b"\n"):
            raise Skipped("Xvfb did not start")
        self.display = self.env["DISPLAY"] = ":" + number.decode().strip()
        self.spawn(["openbox", "--sm-disable"], "openbox.log")
        poll("openbox starting", lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.x("xprop", "-root", quiet=True), 10)
        self.x("xdotool", "mousemove", "--sync", "1", "1")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(2)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()

    def x(self, *argv, quiet=False, binary=False, seconds=5):
        """A tool's standard output; a failed tool raises Failure unless quiet."""
        try:
            done = subprocess.run(argv, capture_output=True, env=self.env, timeout=seconds)
        except subprocess.TimeoutExpired:
            done = subprocess.CompletedProcess(argv, 1, b"", f"no answer within {seconds} s".encode())
        if done.returncode != 0 and not quiet:
            raise Failure(f"{' '.join(argv)}: {done.stderr.decode(errors='replace').strip()}")
        return done.stdout if binary else done.stdout.decode(errors="replace")

    # --- what is on the screen ---

    def clients(self):
        """The windows openbox manages, as it lists them."""
        found = []
        for wid in self.x("xprop", "-root", "_NET_CLIENT_LIST", quiet=True).partition("#")[2].replace(",", " ").split():
            props = self.x("xprop", "-id", wid, "_NET_WM_NAME", "_NET_WM_PID", quiet=True)
            name, pid = re.search(r'_NET_WM_NAME\(\w+\) = "(.*)"', props), re.search(r"_NET_WM_PID\(\w+\) = (\d+)", props)
            found.append(Window(int(wid, 16), name[1].replace('\\"', '"') if name else "", int(pid[1]) if pid else 0))
        return found

    def geometry(self, window):
        """The client area's (x, y, width, height) on the screen."""
        info = self.x("xwininfo", "-id", str(window.id))
        return tuple(int(re.search(key + r":\s+(-?\d+)", info)[1])
                     for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

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
        return Screen(width, rgb)

    def shot(self, what):
        self.shots += 1
        self.x("import", "-silent", "-window", "root", self.path(f"shot-{self.shots:02d}-{what}.png"), quiet=True)

    # --- input and selections ---

    def key(self, *keys):
        self.x("xdotool", "key", "--delay", "30", *keys)

    def type(self, text):
        self.x("xdotool", "type", "--delay", "10", text, seconds=20)

    def click(self, x, y, button=1):
        self.x("xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button))

    def activate(self, window):
        self.x("xdotool", "windowactivate", "--sync", str(window.id), quiet=True)

    def selection(self, name, target="UTF8_STRING"):
        """What the X selection (clipboard, primary) holds, or b'' for nothing or the marker clear() put there."""
        value = self.x("xclip", "-selection", name, "-o", "-t", target, binary=True, quiet=True)
        return b"" if value == b"-" else value

    def clear(self, name):
        """Puts the marker "-" in an X selection; xclip owns it until another program takes it."""
        with open(self.path("marker.txt"), "w") as f:
            f.write("-")
        self.spawn(["xclip", "-selection", name, "-i", "marker.txt"], "xclip.log", cwd=self.work).wait(5)

    # --- probes ---

    def note(self, text):
        print("  " + text, flush=True)

    def check(self, condition, what):
        """A probe: a failure is told, counted and photographed, and the scenario goes on."""
        if condition:
            self.note("ok: " + what)
        else:
            print("FAIL: " + what, flush=True)
            self.failures.append(what)
            self.shot("fail")
        return condition

    def expect(self, predicate, what, seconds=3):
        """A probe that waits for predicate() to hold."""
        return self.check(within(predicate, seconds), what)

    def korean(self, text, what, *names):
        """A probe: `text` has Hangul and no English sentence, once `names` (paths, the caption) are taken out."""
        for name in names:
            text = text.replace(name, "")
        return self.check(re.search("[가-힣]", text) and not re.search(r"[A-Za-z]{2,}(?: [A-Za-z]{2,})+", text),
                          f"{what}, in Korean, no English: {text!r}")

    def viewer(self, *args, **kwargs):
        return Viewer(self, args, **kwargs)

    def zpk(self, *args):
        done = subprocess.run([self.options.zpk, *args], capture_output=True, timeout=60)
        if done.returncode != 0:
            raise Failure(f"zpk {' '.join(args)}: {done.stderr.decode(errors='replace').strip()}")
        return done.stdout

    def export(self, container, row, *options):
        """The PNG `zpk export` writes for one entry."""
        return self.zpk("export", container, "--entry", str(row), "-o", "-", *options)


class Viewer:
    """One run of zpkview on the desktop."""

    def __init__(self, t, args, lang=None, env=None, cwd=None, log="viewer"):
        self.t, self.log = t, log + ".log"
        argv = [t.options.viewer] + (["--lang", lang] if lang else []) + list(args)
        self.process = t.spawn(argv, self.log, env={**t.env, **(env or {})}, cwd=cwd or t.samples)
        self.main = poll(f"the viewer's window ({log})", lambda: self.need_alive() or self.windows(), 10)[0]
        t.activate(self.main)

    def need_alive(self):
        if self.process.poll() is not None:
            raise Failure(f"the viewer ended (status {self.process.returncode}); see {self.log}")

    def windows(self):
        return [w for w in self.t.clients() if w.pid == self.process.pid]

    def others(self):
        return [w for w in self.windows() if w.id != self.main.id]

    def title(self):
        return next((w.name for w in self.windows() if w.id == self.main.id), None)

    def wait_other(self, what, seconds=5, besides=None):
        """The newest window of this viewer besides the main one (and `besides`)."""
        return poll(what, lambda: self.need_alive() or [w for w in self.others() if w.id != getattr(besides, "id", 0)], seconds)[-1]

    def wait_alone(self, what, seconds=5):
        poll(what, lambda: self.need_alive() or not self.others(), seconds)

    def control(self, name, dx=None, dy=None):
        """A point on the screen inside a control: its middle, or (dx, dy) from its top left."""
        x, y, _, _ = self.t.geometry(self.main)
        cx, cy, cw, ch = CONTROLS[name]
        return x + cx + (cw // 2 if dx is None else dx), y + cy + (ch // 2 if dy is None else dy)

    def click(self, name, dx=None, dy=None):
        self.t.click(*self.control(name, dx, dy))

    def row(self, control, row):
        """A point on a row of List1 or File1 (rows of 14 pixels under a frame of 1)."""
        return self.control(control, 20, 1 + 14 * row + 7)

    def click_row(self, control, row):
        self.t.click(*self.row(control, row))

    def row_selected(self, control, row, screen=None):
        """Whether a row of List1 or File1 shows the selection colour (blue)."""
        x, y = self.row(control, row)
        r, g, b = (screen or self.t.grab()).px(x + 130, y)
        return b > r + 60

    def canvas(self):
        return self.t.grab().region(*self.control("Picture1", 0, 0), *CANVAS)

    def canvas_is(self, expected, what, seconds=5):
        """A probe: the canvas comes to be `expected`. The main window comes to the front first."""
        self.t.activate(self.main)
        within(lambda: self.need_alive() or self.canvas() == expected, seconds)
        return self.t.check(not (differ := difference(self.canvas(), expected)), f"{what}: {differ or 'as expected'}")

    def through_dialog(self, keys, path, what, select_all=False):
        """Opens a file dialog with `keys`, types `path` into it and presses Return; the dialog must close."""
        if keys:
            self.t.activate(self.main)
            self.t.key(*keys)
        dialog = self.wait_other(what)
        if select_all:
            self.t.key("ctrl+a")
        self.t.type(path)
        self.t.key("Return")
        poll(what + " closing", lambda: self.need_alive() or dialog.id not in [w.id for w in self.windows()])

    def visible(self):
        """How many windows of the viewer are mapped, popups among them."""
        return len(self.t.x("xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid), quiet=True).split())

    def open_menu(self, keys=("shift+F10",)):
        """Opens the canvas menu: how many windows are mapped with it open, 0 when it does not come."""
        self.t.activate(self.main)
        before = self.visible()
        self.t.key(*keys)
        # the popup takes the keyboard once it is mapped
        return within(lambda: self.need_alive() or self.visible() > before) and before + 1

    def menu(self, downs):
        """Chooses the canvas menu's item `downs` steps down."""
        if not self.open_menu():
            raise Failure("the canvas menu did not come")
        self.t.key(*(["Down"] * downs), "Return")

    def message_text(self, box):
        """A message box's text: a mouse drag from the top left of its label
        to the box's bottom right, past the text's end, selects all of it
        (the label has the mouse until the button is let go, so the box's
        button is not pressed); read from the X primary selection."""
        self.t.clear("primary")
        self.t.activate(box)
        x, y, w, h = self.t.geometry(box)
        self.t.x("xdotool", "mousemove", "--sync", str(x + LABEL[0]), str(y + LABEL[1]), "mousedown", "1",
                 "mousemove", "--sync", str(x + w - 4), str(y + h - 4), "mouseup", "1")
        return within(lambda: self.t.selection("primary"), 2).decode(errors="replace")

    def quit(self):
        self.t.activate(self.main)
        self.t.key("ctrl+q")
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            raise Failure("Ctrl+Q did not end the viewer within 5 s")


def _terminate(signum, _frame):
    raise SystemExit(128 + signum)


def main(run, screen="1024x768"):
    """Runs one scenario, run(t), on a fresh desktop and exits with its status."""
    parser = argparse.ArgumentParser()
    for option in ("--viewer", "--zpk", "--samples", "--keep"):
        parser.add_argument(option, required=True)
    options = parser.parse_args()
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, _terminate)
    shutil.rmtree(options.keep, ignore_errors=True)
    t = Test(options, tempfile.mkdtemp(prefix="zpk-desktop."), screen)
    status = 1
    try:
        t.start()
        print(f"Xvfb on {t.display} ({screen}), openbox", flush=True)
        run(t)
        status = 1 if t.failures else 0
    except Skipped as skipped:
        print(f"SKIP: {skipped}", flush=True)
        status = 77
    except Failure as failure:
        print(f"FAIL: {failure}", flush=True)
        t.failures.append(str(failure))
        if t.display:
            t.shot("end")
    except BaseException as error:
        traceback.print_exc()
        status = error.code if isinstance(error, SystemExit) else 1
        t.failures.append("interrupted")
    finally:
        t.stop()
        if t.failures and status != 77:
            status = status or 1
            print(f"{len(t.failures)} probe(s) failed; the logs and pictures of this run are in {options.keep}")
            shutil.copytree(t.work, options.keep, symlinks=True, dirs_exist_ok=True)
        shutil.rmtree(t.work, ignore_errors=True)
    if status == 0:
        print("all probes passed")
    sys.exit(status)
