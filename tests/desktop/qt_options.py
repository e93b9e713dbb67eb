#!/usr/bin/python3
"""Qt's own command-line options work beside the viewer's: -style and
-platform with --version need no display, and -style with a FILE opens it."""
import subprocess

import desk


def run(t):
    bare = {k: v for k, v in t.env.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
    for options in (["-style", "Fusion"], ["-platform", "offscreen"]):
        done = subprocess.run([t.options.viewer, *options, "--version"], capture_output=True, env=bare, timeout=10)
        t.check(done.returncode == 0 and done.stdout.startswith(b"zpkview "),
                f"zpkview {' '.join(options)} --version without a display: status {done.returncode}, "
                f"{(done.stdout + done.stderr).decode(errors='replace').strip()!r}")
    demo = t.samples + "/demo.zpk"
    v = t.viewer("-style", "Fusion", demo)
    v.canvas_is(desk.canvas_with(t.export(demo, 0)), "zpkview -style Fusion FILE draws FILE")
    v.quit()


desk.main(run)
