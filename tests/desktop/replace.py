#!/usr/bin/python3
"""Replacing the drawn entry ("바꾸기…" in the canvas menu, by Shift+F10 and
by a right click): in place, as a new file (which is then loaded and marked
in File1), and a picture the container cannot take (the file stays, the
refusal says why in Korean)."""
import os
import random
import shutil

import desk


def read(path):
    with open(path, "rb") as f:
        return f.read()


def run(t):
    target, new = t.path("r.zpk"), t.path("r-new.zpk")
    shutil.copy(t.samples + "/demo.zpk", target)
    good = desk.write_png(t.path("good.png"), 40, 30, bytes((255, 0, 0)) * 600 + bytes((0, 0, 255)) * 600)
    other = desk.write_png(t.path("other.png"), 30, 30, (bytes((0, 160, 0)) * 15 + bytes((250, 250, 0)) * 15) * 30)
    noise = random.Random(7)
    # 200 colours, no two neighbours alike: far more than the 65,535 bytes an entry before the last may take
    huge = desk.write_png(t.path("huge.png"), 300, 300, bytes(b for _ in range(90000) for b in (noise.randrange(200), 0, 9)))

    v = t.viewer(target)
    v.canvas_is(desk.canvas_with(t.export(target, 0)), "row 0 drawn")
    v.menu(3)  # 이미지 저장…, 복사, 바꾸기…
    v.through_dialog([], good, "the picture dialog")
    replace = v.wait_other("the replace dialog")
    t.check(replace.name == "항목 바꾸기", f"the replace dialog's title: {replace.name!r}")
    t.key("Tab", "space")  # from the check box to 바꾸기
    v.wait_alone("the replace dialog closing")
    t.check(desk.pixels(t.export(target, 0)) == desk.pixels(read(good)), "replaced in place: row 0 of the file is the picture")
    v.canvas_is(desk.canvas_with(t.export(target, 0)), "the replaced row drawn")

    before = read(target)
    t.click(*v.control("Picture1", 300, 400), button=3)
    desk.poll("the canvas menu", lambda: v.visible() > 1, 3)
    t.key("Down", "Down", "Down", "Return")
    v.through_dialog([], other, "the picture dialog (right click)")
    replace = v.wait_other("the replace dialog")
    t.key("Tab", "Tab", "space")  # 다른 이름으로 저장…
    v.wait_other("the save-as dialog", besides=replace)
    t.key("Return")  # the name it suggests: r-new.zpk beside r.zpk
    v.wait_alone("the dialogs closing")
    desk.poll("r-new.zpk", lambda: os.path.exists(new))
    t.check(read(target) == before, "save as leaves the loaded file as it was")
    t.check(desk.pixels(t.export(new, 0)) == desk.pixels(read(other)), "r-new.zpk's row 0 is the picture")
    v.canvas_is(desk.canvas_with(t.export(new, 0)), "r-new.zpk loaded and its row drawn")
    # File1: r-new.zpk, r.zpk
    t.expect(lambda: (shown := t.grab()) and v.row_selected("File1", 0, shown) and not v.row_selected("File1", 1, shown),
             "File1 marks r-new.zpk, the file now loaded")

    before = read(new)
    v.menu(3)
    v.through_dialog([], huge, "the picture dialog (a picture too large)")
    replace = v.wait_other("the replace dialog")
    t.key("Tab", "space")
    box = v.wait_other("the refusal", besides=replace)
    text = v.message_text(box)
    t.check("항목을 바꿀 수 없습니다" in text, f"the refusal says the entry was not replaced: {text!r}")
    t.korean(text, "the refusal says why", new, huge)
    t.activate(box)
    t.key("Return")
    v.wait_alone("the refusal closing")
    t.check(read(new) == before, "a refused picture leaves the file as it was")
    v.quit()


desk.main(run)
