#!/usr/bin/python3
"""Saving (Ctrl+S and the real save dialog) writes the PNG `zpk export`
writes for the drawn entry; copying (Ctrl+Shift+C) puts the same pixels on
the clipboard as image/png."""
import os

import desk


def run(t):
    demo = t.samples + "/demo.zpk"
    os.mkdir(t.path("out"))
    v = t.viewer(demo)
    v.click_row("List1", 5)
    expected = t.export(demo, 5)
    v.canvas_is(desk.canvas_with(expected), "row 5 drawn")

    saved = t.path("out", "saved.png")
    v.through_dialog(["ctrl+s"], saved, "the save dialog (Ctrl+S)", select_all=True)
    desk.poll("the saved file", lambda: os.path.exists(saved))
    with open(saved, "rb") as f:
        t.check(f.read() == expected, "the saved PNG is byte for byte what zpk export writes for row 5")

    t.desk.clear_clipboard()
    t.desk.activate(v.main)
    t.desk.key("ctrl+shift+c")
    png = desk.poll("image/png on the clipboard", lambda: t.desk.clipboard("image/png"), seconds=3)
    t.check(desk.png_decode(png) == desk.png_decode(expected),
            "the clipboard's image/png has the pixels of zpk export's PNG")
    v.quit()


desk.main(run)
