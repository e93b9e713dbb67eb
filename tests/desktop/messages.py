#!/usr/bin/python3
"""A file that is not a container, loaded in the Korean window: a message
box whose title is the caption alone and whose text gives a Korean reason,
no English sentence; the window stays as it was."""
import os
import shutil

import desk


def run(t):
    os.mkdir(t.path("m"))
    shutil.copy(t.samples + "/demo.zpk", t.path("m", "demo.zpk"))
    with open(t.path("m", "notes.zpk"), "w") as f:
        f.write("These are notes, not a container.\n" * 4)
    open(t.path("m", "empty.zpk"), "w").close()
    v = t.viewer(t.path("m", "demo.zpk"))
    drawn = desk.canvas_with(t.export(t.path("m", "demo.zpk"), 0))
    v.canvas_is(drawn, "demo.zpk drawn")
    for row, name in ((1, "empty.zpk"), (2, "notes.zpk")):  # File1: demo, empty, notes
        v.click_row("File1", row)
        box = v.wait_other(f"the message about {name}")
        t.check(box.name == desk.CAPTION["ko"], f"{name}: the box's title is the caption alone: {box.name!r}")
        t.korean(v.message_text(box), f"{name}: the box gives a reason", t.path("m", name))
        t.activate(box)
        t.key("Return")
        v.wait_alone(f"the message about {name} closing")
        v.canvas_is(drawn, f"{name}: the canvas stays as it was")
    v.quit()


desk.main(run)
