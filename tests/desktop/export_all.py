#!/usr/bin/python3
"""Export all (Ctrl+E, a folder chosen in the real dialog) of a container of
255 entries: the progress dialog comes and goes, the result box is the only
other window and says what happened, Return closes it, and the files are
those `zpk export` writes; the same after a cancel midway."""
import os

import desk

SIDE = 800  # large enough that an export takes seconds and can be cancelled


def run(t):
    band = b"".join(bytes((v * 4, 255 - v * 4, (v * 40) & 255)) * 100
                    for y in range(SIDE) for x in range(SIDE // 100) for v in [(y // 4 + x) % 64])
    big = t.path("big.zpk")
    t.zpk("pack", "-q", big, *[desk.write_png(t.path("band.png"), SIDE, SIDE, band)] * 255)
    v = t.viewer(big)
    v.canvas_is(desk.canvas_with(t.export(big, 0)), "row 0 drawn")
    for folder, cancel in (("all", False), ("cut", True)):
        os.mkdir(t.path(folder))
        v.through_dialog(["ctrl+e"], t.path(folder), f"the export folder dialog (Ctrl+E, {folder})")
        progress = v.wait_other("the progress dialog")
        if cancel:
            t.activate(progress)
            t.key("Escape")
        box = desk.poll("the result box", lambda: v.need_alive() or [w for w in v.others() if w.id != progress.id], 15)[0]
        # the progress dialog may take a moment to go
        t.expect(lambda: [w.id for w in v.others()] == [box.id],
                 f"{folder}: once it ends only the main window and the result box are mapped", 2)
        count = len(os.listdir(t.path(folder, "big")))
        if cancel:
            t.check(0 < count < 255, f"cancelled midway: {count} of 255 files written")
        else:
            t.check(count == 255, f"{count} of 255 files written")
            for row in (0, 254):
                with open(t.path(folder, "big", f"{row:03d}.png"), "rb") as f:
                    t.check(f.read() == t.export(big, row), f"{row:03d}.png is what zpk export writes")
        text = v.message_text(box)
        t.check(f"{count}개를" in text and ("취소" in text) == cancel, f"the result box says what happened: {text!r}")
        t.activate(box)
        t.key("Return")
        t.expect(lambda: not v.others(), f"{folder}: Return on the result box leaves the main window alone")
        for w in v.others():  # close what stayed, to go on
            t.activate(w)
            t.key("Escape")
        v.wait_alone("the main window alone")
    v.quit()


desk.main(run)
