#!/usr/bin/python3
"""Recent files across two runs of the viewer with the same private home,
in English (LC_ALL=en_US.UTF-8): the second run reopens both files from the
canvas menu's "Recent Files", the newest first."""
import os
import shutil

import desk


def run(t):
    english = {"LC_ALL": "en_US.UTF-8"}
    os.mkdir(t.path("a"))
    os.mkdir(t.path("b"))
    first, second = t.path("a", "first.zpk"), t.path("b", "second.zpk")
    shutil.copy(t.samples + "/demo.zpk", first)
    t.zpk("pack", "-q", second, desk.write_png(t.path("blue.png"), 12, 12, bytes((20, 40, 220)) * 144))

    v = t.viewer(first, env=english, log="viewer-1")
    v.through_dialog(["ctrl+o"], second, "the open dialog")
    v.canvas_is(desk.canvas_with(t.export(second, 0)), "the first run opens second.zpk")
    v.quit()

    v = t.viewer(env=english, cwd=t.work, log="viewer-2")
    for number, path, what in ((1, second, "the second run: recent file 1 is second.zpk"),
                               (2, first, "recent file 2 is first.zpk")):
        shown = v.open_menu()
        t.key("Up", "Up", "Right")  # from the bottom: About, Recent Files, into it
        desk.poll("the recent files", lambda: v.visible() > shown, 3)
        t.key(str(number))
        v.canvas_is(desk.canvas_with(t.export(path, 0)), what)
    v.quit()


desk.main(run)
