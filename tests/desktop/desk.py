"""The desktop suite's harness: the real viewer on a private Xvfb display with
openbox, driven by xdotool and read only from outside (screen, window list and
titles, X selections, files written). Every wait is a bounded poll; every
process started ends with the flow; a failed run's folder is kept in --keep."""

import argparse, collections, ctypes, os, pathlib, re, shutil, signal, subprocess, sys, tempfile, time, traceback

# The main window's controls, client (x, y, width, height) at scale 1.
CONTROLS = {"Picture1": (192, 16, 377, 449), "List1": (8, 56, 177, 148), "File1": (8, 272, 177, 198),
            "mode_clear": (8, 208, 81, 17), "mode_back": (8, 224, 105, 17), "check_color": (8, 248, 81, 17),
            "color1": (88, 248, 33, 18), "color3": (152, 248, 33, 18)}
CANVAS = CONTROLS["Picture1"][2:]
LABEL = (63, 14)  # just inside a message box's text, right of its icon (client coordinates)
CAPTION = {"ko": "Dovenrill의Marbeck Glintmoor", "en": "Dovenrill's Marbeck Glintmoor"}
Window = collections.namedtuple("Window", "id name pid")
_prctl = ctypes.CDLL(None).prctl


class Failure(Exception):
    """A check the flow cannot go on without."""


def within(predicate, seconds=10.0):
    """predicate()'s first true value within `seconds`, else its last one."""
    deadline = time.monotonic() + seconds
    while not (value := predicate()) and time.monotonic() < deadline:
        time.sleep(0.05)
    return value


def poll(what, predicate, seconds=10.0):
    if not (value := within(predicate, seconds)):
        raise Failure(f"{what}: not within {seconds:g} s")
    return value


def convert(*args, data=None):
    return subprocess.run(["convert", *map(str, args)], input=data, capture_output=True, check=True, timeout=30).stdout


def pixels(png):
    """A PNG's size and RGBA pixels (a PAM), to compare pictures."""
    return convert("png:-", "-type", "TrueColorAlpha", "-depth", "8", "pam:-", data=png)


def write_png(path, width, height, rgb):
    convert("-size", f"{width}x{height}", "-depth", "8", "rgb:-", f"PNG32:{path}", data=rgb)
    return path


def canvas_with(png, under=None):
    """The canvas (RGB) once an entry's PNG is drawn from (1, 1) on over `under` (else white), as the window does."""
    with tempfile.NamedTemporaryFile(suffix=".png") as f:
        f.write(png)
        f.flush()
        return convert("-size", "%dx%d" % CANVAS, "-depth", "8", "rgb:-", f.name, "-geometry", "+1+1", "-composite",
                       "-depth", "8", "rgb:-", data=under or b"\xff" * (CANVAS[0] * CANVAS[1] * 3))


class Test:
    """One flow's desktop, its processes and its probes."""

    def __init__(self, options, screen):
        self.options, self.screen, self.samples = options, screen, options.samples
        self.demo = os.path.join(options.samples, "demo.zpk")
        self.work = pathlib.Path(tempfile.mkdtemp(prefix="zpk-desktop."))
        self.failures, self.processes, self.shots, self.display = [], [], 0, None
        (self.work / "home" / ".config").mkdir(parents=True)
        (self.work / "runtime").mkdir(0o700)
        (self.work / "empty").write_bytes(b"")
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": str(self.work / "home"),
                    "XDG_CONFIG_HOME": str(self.work / "home" / ".config"), "LC_ALL": "C.UTF-8",
                    "XDG_RUNTIME_DIR": str(self.work / "runtime"), "QT_QPA_PLATFORM": "xcb"}
        self.env.update({k: v for k, v in os.environ.items() if k.endswith("SAN_OPTIONS")})

    def path(self, *parts):
        return self.work.joinpath(*parts)

    def copy_demo(self, *parts):
        self.path(*parts).parent.mkdir(exist_ok=True)
        return pathlib.Path(shutil.copy(self.demo, self.path(*parts)))

    def spawn(self, argv, log, env=None, cwd=None, pass_fds=()):
        with open(self.path(log), "ab") as out, open(self.path("empty"), "rb") as empty:
            self.processes.append(subprocess.Popen(argv, stdin=empty, stdout=out, stderr=subprocess.STDOUT,
                                                   env=env or self.env, cwd=cwd, pass_fds=pass_fds,
                                                   preexec_fn=lambda: _prctl(1, signal.SIGKILL)))  # PR_SET_PDEATHSIG
        return self.processes[-1]

    def start(self):
        """Xvfb (it picks a free display and writes its number and a newline
        to the file), then openbox; False when Xvfb cannot start."""
        if shutil.which("Xvfb") is None:
            return False
        for tool in ("openbox", "xdotool", "xprop", "xwininfo", "import", "convert", "xclip"):
            if shutil.which(tool) is None:
                raise Failure(f"{tool} is not installed (scripts/install-deps test)")
        with open(self.path("display"), "wb") as fd:
            xvfb = self.spawn(["Xvfb", "-displayfd", str(fd.fileno()), "-screen", "0", f"{self.screen}x24",
                               "-nolisten", "tcp", "-dpi", "96", "-noreset"], "xvfb.log", pass_fds=(fd.fileno(),))
        if not within(lambda: xvfb.poll() is None and self.path("display").read_text().endswith("\n"), 10):
            return False
        self.display = self.env["DISPLAY"] = ":" + self.path("display").read_text().strip()
        self.spawn(["openbox", "--sm-disable"], "openbox.log")
        poll("openbox", lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.x("xprop", "-root", quiet=True), 10)
        self.x("xdotool", "mousemove", "--sync", "1", "1")
        return True

    def stop(self):
        for process in reversed(self.processes):
            process.terminate()  # nothing when it has ended
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
            raise Failure(f"{' '.join(map(str, argv))}: {done.stderr.decode(errors='replace').strip()}")
        return done.stdout if binary else done.stdout.decode(errors="replace")

    def clients(self):
        found = []
        for wid in self.x("xprop", "-root", "_NET_CLIENT_LIST", quiet=True).partition("#")[2].replace(",", " ").split():
            props = self.x("xprop", "-id", wid, "_NET_WM_NAME", "_NET_WM_PID", quiet=True)
            name = re.search(r'_NET_WM_NAME\(\w+\) = "(.*)"', props)
            pid = re.search(r"_NET_WM_PID\(\w+\) = (\d+)", props)
            found.append(Window(int(wid, 16), name[1].replace('\\"', '"') if name else "", int(pid[1]) if pid else 0))
        return found

    def geometry(self, window):
        """The client area's (x, y, width, height) on the screen."""
        info = self.x("xwininfo", "-id", str(window.id))
        return tuple(int(re.search(key + r":\s+(-?\d+)", info)[1])
                     for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def frame(self, window):
        """The frame's (x, y, width, height): the client and the border around it; None until the window
        manager has framed the window (it sets _NET_FRAME_EXTENTS a moment after the window is listed)."""
        line = self.x("xprop", "-id", str(window.id), "_NET_FRAME_EXTENTS", quiet=True)
        if "=" not in line:
            return None
        (x, y, w, h), (left, right, top, bottom) = self.geometry(window), map(int, line.partition("=")[2].split(","))
        return x - left, y - top, w + left + right, h + top + bottom

    def grab(self, x=0, y=0, w=None, h=None):
        crop = ["-crop", f"{w}x{h}+{x}+{y}"] if w else []
        return self.x("import", "-silent", "-window", "root", *crop, "-depth", "8", "rgb:-", binary=True, seconds=10)

    def shot(self, what):
        self.shots += 1
        self.x("import", "-silent", "-window", "root", self.path(f"shot-{self.shots:02d}-{what}.png"), quiet=True)

    def key(self, *keys, to=None):
        """Presses keys, in the window `to` (brought to the front first) if given."""
        if to:
            self.activate(to)
        self.x("xdotool", "key", "--delay", "30", *keys)

    def type(self, text):
        self.x("xdotool", "type", "--delay", "10", text, seconds=20)

    def click(self, x, y, button=1):
        self.x("xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button))

    def activate(self, window):
        """Brings a window to the front until it has the keyboard focus, which a window of the viewer mapped
        meanwhile may take (getwindowfocus names the top-level window when Qt focuses a child of it)."""

        def focused():
            self.x("xdotool", "windowactivate", "--sync", str(window.id), quiet=True)
            return self.x("xdotool", "getwindowfocus", quiet=True).strip() == str(window.id)
        poll(f"the focus in {window.name!r}", focused)

    def stable(self, place):
        """A grab of `place` (x, y, width, height) once two grabs in a row, 0.2 s apart, are the same."""
        last = [self.grab(*place)]

        def same():
            time.sleep(0.2)
            before, last[0] = last[0], self.grab(*place)
            return before == last[0] and before
        return poll("a still picture", same)

    def selection(self, name, target="UTF8_STRING"):
        """What an X selection (clipboard, primary) holds; b'' for nothing or the marker clear() put there."""
        value = self.x("xclip", "-selection", name, "-o", "-t", target, binary=True, quiet=True)
        return b"" if value == b"-" else value

    def clear(self, name):
        """Puts the marker "-" in an X selection; xclip owns it until another program takes it."""
        self.path("marker.txt").write_text("-")
        self.spawn(["xclip", "-selection", name, "-i", "marker.txt"], "xclip.log", cwd=self.work).wait(5)

    def check(self, condition, what):
        """A probe: a failure is told, counted and photographed, and the flow goes on."""
        print(("  ok: " if condition else "FAIL: ") + what, flush=True)
        if not condition:
            self.failures.append(what)
            self.shot("fail")
        return condition

    def expect(self, predicate, what, seconds=10):
        """A probe that waits for predicate() to hold."""
        return self.check(within(predicate, seconds), what)

    def korean(self, text, what, *names):
        """A probe: `text` has Hangul and no English sentence, once `names` (paths) are taken out."""
        for name in names:
            text = text.replace(str(name), "")
        return self.check(re.search("[가-힣]", text) and not re.search(r"[A-Za-z]{2,}(?: [A-Za-z]{2,})+", text),
                          f"{what}, in Korean, no English: {text!r}")

    def zpk(self, *args):
        done = subprocess.run([self.options.zpk, *args], capture_output=True, timeout=60)
        if done.returncode != 0:
            raise Failure(f"zpk {' '.join(map(str, args))}: {done.stderr.decode(errors='replace').strip()}")
        return done.stdout

    def export(self, container, row, *options):
        """The PNG `zpk export` writes for one entry."""
        return self.zpk("export", container, "--entry", str(row), "-o", "-", *options)

    def drawn(self, container, row, *options, under=None):
        """The canvas once the window draws an entry as `zpk export` writes it."""
        return canvas_with(self.export(container, row, *options), under)


class Viewer:
    def __init__(self, t, *args, lang=None, env=None, cwd=None, log="viewer"):
        self.t, self.log = t, log + ".log"
        argv = [t.options.viewer] + (["--lang", lang] if lang else []) + list(args)
        self.process = t.spawn(argv, self.log, env={**t.env, **(env or {})}, cwd=cwd or t.samples)
        # a first window waits for the program to start, which on a loaded
        # machine (the suite runs beside other tests) takes longer than any later wait
        try:
            self.main = poll(f"the viewer's window ({log})", self.windows, 30)[0]
        except Failure as failure:
            raise Failure(f"{failure}; the window manager lists {self.t.clients()}") from None
        t.activate(self.main)

    def windows(self):
        """The viewer's windows the window manager manages; a Failure once the viewer has ended."""
        if self.process.poll() is not None:
            raise Failure(f"the viewer ended (status {self.process.returncode}); see {self.log}")
        return [w for w in self.t.clients() if w.pid == self.process.pid]

    def others(self):
        return [w for w in self.windows() if w.id != self.main.id]

    def title(self):
        return next((w.name for w in self.windows() if w.id == self.main.id), None)

    def wait_other(self, what, seconds=10, besides=None):
        """The newest window of this viewer besides the main one (and `besides`)."""
        return poll(what, lambda: [w for w in self.others() if w.id != getattr(besides, "id", 0)], seconds)[-1]

    def wait_alone(self, what, seconds=10):
        poll(what, lambda: not self.others(), seconds)

    def control(self, name, dx=None, dy=None):
        """A point on the screen inside a control: its middle, or (dx, dy) from its top left."""
        x, y, _, _ = self.t.geometry(self.main)
        cx, cy, cw, ch = CONTROLS[name]
        return x + cx + (cw // 2 if dx is None else dx), y + cy + (ch // 2 if dy is None else dy)

    def row(self, control, row):
        """A point on a row of List1 or File1 (rows of 14 pixels under a frame of 1)."""
        return self.control(control, 20, 1 + 14 * row + 7)

    def click(self, name, row=None):
        self.t.click(*(self.control(name) if row is None else self.row(name, row)))

    def row_selected(self, control, row):
        """Whether a row of List1 or File1 shows the selection colour (blue)."""
        x, y = self.row(control, row)
        r, g, b = self.t.grab(x + 130, y, 1, 1)
        return b > r + 60

    def canvas_is(self, expected, what, seconds=5):
        """A probe: the canvas comes to be `expected`. The main window comes to the front first."""
        self.t.activate(self.main)
        place = (*self.control("Picture1", 0, 0), *CANVAS)
        within(lambda: self.t.grab(*place) == expected, seconds)
        shown = self.t.grab(*place)
        if differ := [i // 3 for i in range(0, len(shown), 3) if shown[i:i + 3] != expected[i:i + 3]]:
            at = differ[0] * 3
            what += (f": {len(differ)} pixels differ, the first at {divmod(differ[0], CANVAS[0])[::-1]}: "
                     f"{shown[at:at + 3].hex()}, not {expected[at:at + 3].hex()}")
        return self.t.check(not differ, what)

    def through_dialog(self, keys, path, what, select_all=False):
        """Opens a file dialog with `keys`, types `path` into it and presses Return; the dialog must close."""
        if keys:
            self.t.key(*keys, to=self.main)
        dialog = self.wait_other(what)
        self.t.activate(dialog)  # the window manager focuses a new window a moment after it is listed
        if select_all:
            self.t.key("ctrl+a")
        self.t.type(path)
        self.t.key("Return")
        poll(what + " closing", lambda: dialog.id not in [w.id for w in self.windows()])

    def visible(self):
        """How many windows of the viewer are mapped, popups among them."""
        return len(self.t.x("xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid), quiet=True).split())

    def open_menu(self, keys=("shift+F10",)):
        """Opens the canvas menu: how many windows are mapped with it open, 0 when it does not come."""
        self.t.activate(self.main)
        before = self.visible()
        self.t.key(*keys)
        # the popup takes the keyboard once it is mapped
        return within(lambda: self.visible() > before) and before + 1

    def menu(self, downs):
        if not self.open_menu():
            raise Failure("the canvas menu did not come")
        self.t.key(*(["Down"] * downs), "Return")

    def message_text(self, box):
        """A message box's text: a drag from the top left of its label to the box's bottom right, past the
        text's end, selects all of it into the X primary selection (the label holds the mouse until it is
        let go, so the button under it is not pressed)."""
        self.t.clear("primary")
        self.t.activate(box)
        x, y, w, h = self.t.geometry(box)
        self.t.x("xdotool", "mousemove", "--sync", str(x + LABEL[0]), str(y + LABEL[1]), "mousedown", "1",
                 "mousemove", "--sync", str(x + w - 4), str(y + h - 4), "mouseup", "1")
        return within(lambda: self.t.selection("primary")).decode(errors="replace")

    def quit(self):
        self.t.key("ctrl+q", to=self.main)
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            raise Failure("Ctrl+Q did not end the viewer within 10 s")


def main(flows, screens={}):
    """Runs the flow --flow names (flows[name](t), on a screen of screens[name]
    or 1024x768) on a fresh desktop. Exit status: 0 passed, 1 failed, 77
    skipped (Xvfb cannot start)."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--flow", required=True, choices=flows)
    for option in ("--viewer", "--zpk", "--samples", "--keep"):
        parser.add_argument(option, required=True)
    options = parser.parse_args()
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, lambda signum, _: sys.exit(128 + signum))
    shutil.rmtree(options.keep, ignore_errors=True)
    t, status = Test(options, screens.get(options.flow, "1024x768")), 1
    try:
        if t.start():
            print(f"Xvfb on {t.display} ({t.screen}), openbox", flush=True)
            flows[options.flow](t)
            status = 1 if t.failures else 0
        else:
            print("SKIP: Xvfb did not start (scripts/install-deps test)", flush=True)
            status = 77
    except Failure as failure:
        t.check(False, str(failure))
    except BaseException as error:
        traceback.print_exc()
        status = error.code if isinstance(error, SystemExit) else 1
        t.failures.append("interrupted")
    finally:
        t.stop()
        if t.failures:
            print(f"{len(t.failures)} probe(s) failed; the logs and pictures of this run are in {options.keep}")
            for log in sorted(t.work.glob("*.log")):
                if lines := log.read_text(errors="replace").splitlines()[-12:]:
                    print(f"--- the end of {log.name}", *lines, sep="\n")
            shutil.copytree(t.work, options.keep, symlinks=True, dirs_exist_ok=True)
        shutil.rmtree(t.work, ignore_errors=True)
    if status == 0:
        print("all probes passed")
    sys.exit(status)
