#!/usr/bin/python3
"""Opening a container three ways: Ctrl+O and the real file dialog, a click
in File1, and `zpkview FILE` (in English); the title names the file and the
row drawn once something is loaded, the caption alone before."""
import os
import shutil

import desk


def run(t):
    os.mkdir(t.path("here"))
    demo, green = t.path("here", "demo.zpk"), t.path("here", "green.zpk")
    shutil.copy(os.path.join(t.samples, "demo.zpk"), demo)
    t.zpk("pack", green, desk.write_png(t.path("green.png"), 20, 10, bytes((0, 200, 0)) * 200))

    def title_is(v, row, lang, what):
        expected = f"demo.zpk ({dict(ko='항목', en='entry')[lang]} {row}) — {desk.CAPTION[lang]}"
        desk.within(lambda: v.title() == expected)
        t.check(v.title() == expected, f"{what}: {v.title()!r}")

    v = t.viewer(cwd=t.path("here"))
    t.check(v.title() == desk.CAPTION["ko"], f"before a load the title is the caption alone: {v.title()!r}")
    v.through_dialog(["ctrl+o"], demo, "the open dialog (Ctrl+O)")
    v.canvas_is(desk.canvas_with(t.export(demo, 0)), "Ctrl+O, a path typed and Return draw row 0")
    title_is(v, 0, "ko", "after a load the title names the file and row")
    v.click_row("File1", 1)  # File1 lists demo.zpk, green.zpk
    v.canvas_is(desk.canvas_with(t.export(green, 0)), "a click on green.zpk in File1 draws it")
    t.check(v.row_selected("File1", 1), "File1 marks green.zpk")
    v.click_row("List1", 0)
    v.quit()

    v = t.viewer(demo, lang="en", log="viewer-en")
    v.canvas_is(desk.canvas_with(t.export(demo, 0)), "zpkview FILE draws its row 0")
    t.check(v.row_selected("File1", 0), "File1 lists FILE's folder and marks FILE")
    v.click_row("List1", 2)
    v.canvas_is(desk.canvas_with(t.export(demo, 2)), "a click on row 2 of List1 draws it")
    title_is(v, 2, "en", "the English title names the file and row")
    v.quit()


desk.main(run)
