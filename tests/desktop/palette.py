#!/usr/bin/python3
"""Palettes from the canvas menu: "팔레트 저장…" writes what `zpk palette`
writes, "팔레트 불러오기…" draws as `zpk export --palette` does, and
"팔레트 되돌리기" draws with the stored colours again."""
import os

import desk

# the canvas menu's rows for the keyboard, disabled ones skipped
LOAD, REVERT_IN_USE, SAVE_NONE_IN_USE = 7, 8, 8


def run(t):
    demo, gpl, saved = t.samples + "/demo.zpk", t.path("night.gpl"), t.path("saved.gpl")
    with open(gpl, "w") as f:
        f.write("GIMP Palette\nName: night\n#\n")
        f.writelines(f"{v} {255 - v} {(v * 7) % 256}\tc{v}\n" for v in range(256))
    v = t.viewer(demo)
    stored = desk.canvas_with(t.export(demo, 0))
    v.canvas_is(stored, "row 0 drawn")

    v.menu(SAVE_NONE_IN_USE)
    v.through_dialog([], saved, "the palette save dialog", select_all=True)
    desk.poll("the saved palette", lambda: os.path.exists(saved))
    t.zpk("palette", demo, "--entry", "0", "-o", t.path("zpk.gpl"))
    with open(saved, "rb") as f, open(t.path("zpk.gpl"), "rb") as g:
        t.check(f.read() == g.read(), "the saved palette is what zpk palette writes")

    v.menu(LOAD)
    v.through_dialog([], gpl, "the palette open dialog")
    v.canvas_is(desk.canvas_with(t.export(demo, 0, "--palette", gpl)), "drawn in the loaded palette's colours")
    v.menu(REVERT_IN_USE)
    v.canvas_is(stored, "reverted: drawn in the stored colours again")
    v.quit()


desk.main(run)
