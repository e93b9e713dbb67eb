#!/usr/bin/python3
"""Replacing the drawn entry ("바꾸기…" in the canvas menu, by Shift+F10 and
by a right click): in place, as a new file (which is then loaded and marked
in File1), and a picture the container cannot take (the file stays)."""
import os
import random
import shutil

import desk


def picture(t, name, width, height, colour_of):
    with open(t.path("r", name), "wb") as f:
        f.write(desk.png_encode(width, height, b"".join(
            bytes(colour_of(x, y)) + b"\xff" for y in range(height) for x in range(width))))
    return t.path("r", name)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def run(t):
    os.mkdir(t.path("r"))
    target, new = t.path("r", "r.zpk"), t.path("r", "r-new.zpk")
    shutil.copy(t.samples + "/demo.zpk", target)
    good = picture(t, "good.png", 40, 30, lambda x, y: (255, 0, 0) if y < 15 else (0, 0, 255))
    other = picture(t, "other.png", 30, 30, lambda x, y: (0, 160, 0) if x < 15 else (250, 250, 0))
    noise = random.Random(7)
    # 200 colours, no two neighbours alike: far more than the 65,535 bytes an entry before the last may take
    huge = picture(t, "huge.png", 300, 300, lambda x, y: (noise.randrange(200), 0, 9))

    v = t.viewer(target)
    v.canvas_is(desk.canvas_with(t.export(target, 0)), "row 0 drawn")
    v.menu(3)  # 이미지 저장…, 복사, 바꾸기…
    v.through_dialog([], good, "the picture dialog")
    replace = v.wait_other("the replace dialog")
    t.check(replace.name == "항목 바꾸기", f"the replace dialog's title: {replace.name!r}")
    t.desk.key("Tab", "space")  # from the check box to 바꾸기
    v.wait_alone("the replace dialog closing")
    t.check(desk.png_decode(t.export(target, 0)) == desk.png_decode(read(good)),
            "replaced in place: row 0 of the file is the picture")
    v.canvas_is(desk.canvas_with(t.export(target, 0)), "the replaced row drawn")

    before = read(target)
    t.desk.click(*v.control("Picture1", 300, 400), button=3)
    desk.poll("the canvas menu", lambda: v.visible() > 1, seconds=3)
    t.desk.key("Down", "Down", "Down", "Return")
    v.through_dialog([], other, "the picture dialog (right click)")
    replace = v.wait_other("the replace dialog")
    t.desk.key("Tab", "Tab", "space")  # 다른 이름으로 저장…
    v.wait_other("the save-as dialog", besides=replace)
    t.desk.key("Return")  # the name it suggests: r-new.zpk beside r.zpk
    v.wait_alone("the dialogs closing")
    desk.poll("r-new.zpk", lambda: os.path.exists(new))
    t.check(read(target) == before, "save as leaves the loaded file as it was")
    t.check(desk.png_decode(t.export(new, 0)) == desk.png_decode(read(other)), "r-new.zpk's row 0 is the picture")
    v.canvas_is(desk.canvas_with(t.export(new, 0)), "r-new.zpk loaded and its row drawn")
    try:  # File1: r-new.zpk, r.zpk
        desk.poll("File1 marking r-new.zpk", lambda: v.row_selected("File1", 0), seconds=3)
    except desk.Failure:
        pass
    shown = t.desk.grab()
    t.check(v.row_selected("File1", 0, shown) and not v.row_selected("File1", 1, shown),
            "File1 marks r-new.zpk, the file now loaded")

    before = read(new)
    v.menu(3)
    v.through_dialog([], huge, "the picture dialog (a picture too large)")
    replace = v.wait_other("the replace dialog")
    t.desk.key("Tab", "space")
    box = v.wait_other("the refusal", besides=replace)
    text = v.message_text(box)
    if text is not None:
        t.check("항목을 바꿀 수 없습니다" in text, f"the refusal says why: {text!r}")
    t.desk.activate(box)
    t.desk.key("Return")
    v.wait_alone("the refusal closing")
    t.check(read(new) == before, "a refused picture leaves the file as it was")
    v.quit()


desk.main(run)
