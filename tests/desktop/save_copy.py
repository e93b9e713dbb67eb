#!/usr/bin/python3
"""Saving (Ctrl+S and the real save dialog) writes the PNG `zpk export`
writes for the drawn entry; copying (Ctrl+Shift+C) puts the same pixels on
the clipboard as image/png."""
import os

import desk


def run(t):
    demo, saved = t.samples + "/demo.zpk", t.path("saved.png")
    v = t.viewer(demo)
    v.click_row("List1", 5)
    expected = t.export(demo, 5)
    v.canvas_is(desk.canvas_with(expected), "row 5 drawn")

    v.through_dialog(["ctrl+s"], saved, "the save dialog (Ctrl+S)", select_all=True)
    desk.poll("the saved file", lambda: os.path.exists(saved))
    with open(saved, "rb") as f:
        t.check(f.read() == expected, "the saved PNG is byte for byte what zpk export writes for row 5")

    t.clear("clipboard")
    t.activate(v.main)
    t.key("ctrl+shift+c")
    png = desk.poll("image/png on the clipboard", lambda: t.selection("clipboard", "image/png"), 3)
    t.check(desk.pixels(png) == desk.pixels(expected), "the clipboard's image/png has the pixels of zpk export's PNG")
    v.quit()


desk.main(run)
