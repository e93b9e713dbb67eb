#!/usr/bin/python3
"""Export all (Ctrl+E, a folder chosen in the real dialog) of a container of
255 entries: the progress dialog comes and goes, the result box is the only
other window, Return closes it and leaves the main window alone, and the
files are those `zpk export` writes; the same after a cancel midway."""
import os

import desk

SIDE = 800  # large enough that an export takes seconds and can be cancelled


def run(t):
    pixels = bytearray()
    for y in range(SIDE):
        for x in range(SIDE):
            v = (y // 4 + x // 100) % 64
            pixels += bytes((v * 4, 255 - v * 4, (v * 40) & 255, 255))
    with open(t.path("band.png"), "wb") as f:
        f.write(desk.png_encode(SIDE, SIDE, bytes(pixels)))
    big = t.path("big.zpk")
    t.zpk("pack", "-q", big, *[t.path("band.png")] * 255)

    v = t.viewer(big)
    v.canvas_is(desk.canvas_with(t.export(big, 0)), "row 0 drawn")
    for folder, cancel in (("all", False), ("cut", True)):
        os.mkdir(t.path(folder))
        v.through_dialog(["ctrl+e"], t.path(folder), f"the export folder dialog (Ctrl+E, {folder})")
        progress = v.wait_other("the progress dialog", seconds=5)
        if cancel:
            t.desk.activate(progress)
            t.desk.key("Escape")
        written = t.path(folder, "big")
        desk.poll("the result box", lambda: v.need_alive() or any(w.id != progress.id for w in v.others()),
                  seconds=15)
        try:  # the progress dialog may take a moment to go
            desk.poll("the result box alone", lambda: v.need_alive() or len(v.others()) == 1, seconds=2)
        except desk.Failure:
            pass
        others = v.others()
        t.check(len(others) == 1 and others[0].id != progress.id,
                f"{folder}: once it ends only the main window and the result box are mapped: {others}")
        count = len(os.listdir(written))
        if cancel:
            t.check(0 < count < 255, f"cancelled midway: {count} of 255 files written")
        else:
            t.check(count == 255, f"{count} of 255 files written")
            for row in (0, 254):
                with open(os.path.join(written, f"{row:03d}.png"), "rb") as f:
                    t.check(f.read() == t.export(big, row), f"{row:03d}.png is what zpk export writes")
        boxes = [w for w in others if w.id != progress.id]
        if boxes:
            text = v.message_text(boxes[0])
            if text is not None:
                t.check(("취소" in text) == cancel, f"the result box says what happened: {text!r}")
            t.desk.activate(boxes[0])
            t.desk.key("Return")
        try:
            v.wait_alone("the main window alone", seconds=3)
        except desk.Failure:
            pass
        t.check(not v.others(), f"{folder}: Return on the result box leaves the main window alone: {v.others()}")
        for w in v.others():  # close what stayed, to go on
            t.desk.activate(w)
            t.desk.key("Escape")
        v.wait_alone("the main window alone")
    v.quit()


desk.main(run)
