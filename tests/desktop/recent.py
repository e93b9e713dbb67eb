#!/usr/bin/python3
"""Recent files across two runs of the viewer with the same private home,
in English (LC_ALL=en_US.UTF-8): the second run reopens both files from the
canvas menu's "Recent Files", the newest first."""
import os
import shutil

import desk


def recent(v, number):
    """Chooses item `number` of the canvas menu's recent files."""
    v.desk.activate(v.main)
    before = v.visible()
    v.desk.key("shift+F10")
    desk.poll("the canvas menu", lambda: v.need_alive() or v.visible() > before, seconds=3)
    v.desk.key("Up", "Up", "Right")  # from the bottom: About, Recent Files, into it
    desk.poll("the recent files", lambda: v.need_alive() or v.visible() > before + 1, seconds=3)
    v.desk.key(str(number))


def run(t):
    english = {"LC_ALL": "en_US.UTF-8"}
    for name in ("a", "b"):
        os.mkdir(t.path(name))
    first, second = t.path("a", "first.zpk"), t.path("b", "second.zpk")
    shutil.copy(t.samples + "/demo.zpk", first)
    with open(t.path("blue.png"), "wb") as f:
        f.write(desk.png_encode(12, 12, bytes((20, 40, 220, 255)) * 144))
    t.zpk("pack", "-q", second, t.path("blue.png"))

    v = t.viewer(first, env=english, log="viewer-1")
    v.through_dialog(["ctrl+o"], second, "the open dialog")
    v.canvas_is(desk.canvas_with(t.export(second, 0)), "the first run opens second.zpk")
    v.quit()

    v = t.viewer(env=english, cwd=t.work, log="viewer-2")
    recent(v, 1)
    v.canvas_is(desk.canvas_with(t.export(second, 0)), "the second run: recent file 1 is second.zpk")
    recent(v, 2)
    v.canvas_is(desk.canvas_with(t.export(first, 0)), "recent file 2 is first.zpk")
    v.quit()


desk.main(run)
