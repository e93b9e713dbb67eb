"""The flows that end in a message box, each on its own desktop (desk.main):
the box's text is read as a user selects it, and the Korean window words it
in Korean."""
import os
import random

import desk


def messages(t):
    """A file that is not a container, loaded in the Korean window: a message
    box whose title is the caption alone and whose text gives a Korean
    reason, no English sentence; the window stays as it was."""
    demo = t.copy_demo("m", "demo.zpk")
    t.path("m", "notes.zpk").write_text("These are notes, not a container.\n" * 4)
    t.path("m", "empty.zpk").write_text("")
    v = desk.Viewer(t, demo)
    v.canvas_is(drawn := t.drawn(demo, 0), "demo.zpk drawn")
    for row, name in ((1, "empty.zpk"), (2, "notes.zpk")):  # File1: demo, empty, notes
        v.click("File1", row)
        box = v.wait_other(f"the message about {name}")
        t.check(box.name == desk.CAPTION["ko"], f"{name}: the box's title is the caption alone: {box.name!r}")
        t.korean(v.message_text(box), f"{name}: the box gives a reason", t.path("m", name))
        t.key("Return", to=box)
        v.wait_alone(f"the message about {name} closing")
        v.canvas_is(drawn, f"{name}: the canvas stays as it was")
    v.quit()


def export_all(t):
    """Export all (Ctrl+E, a folder chosen in the real dialog) of a container
    of 255 entries: the progress dialog comes and goes, the result box is the
    only other window and says what happened, Return closes it, and the files
    are those `zpk export` writes; the same after a cancel midway."""
    side = 800  # large enough that an export takes seconds and can be cancelled
    band = b"".join(bytes((v * 4, 255 - v * 4, (v * 40) & 255)) * 100
                    for y in range(side) for x in range(side // 100) for v in [(y // 4 + x) % 64])
    big = t.path("big.zpk")
    t.zpk("pack", "-q", big, *[desk.write_png(t.path("band.png"), side, side, band)] * 255)
    v = desk.Viewer(t, big)
    v.canvas_is(t.drawn(big, 0), "row 0 drawn")
    for folder, cancel in (("all", False), ("cut", True)):
        os.mkdir(t.path(folder))
        v.through_dialog(["ctrl+e"], t.path(folder), f"the export folder dialog (Ctrl+E, {folder})")
        progress = v.wait_other("the progress dialog")
        if cancel:
            t.key("Escape", to=progress)
        box = v.wait_other("the result box", 150, besides=progress)  # sanitizer builds under load
        # the progress dialog may take a moment to go
        t.expect(lambda: [w.id for w in v.others()] == [box.id],
                 f"{folder}: once it ends only the main window and the result box are mapped")
        written = sorted(os.listdir(t.path(folder, "big")))
        t.check(0 < len(written) < 255 if cancel else len(written) == 255,
                f"{folder}: {len(written)} of 255 files written")
        for row in (() if cancel else (0, 254)):
            t.check(t.path(folder, "big", f"{row:03d}.png").read_bytes() == t.export(big, row),
                    f"{row:03d}.png is what zpk export writes")
        text = v.message_text(box)
        t.check(f"{len(written)}개를" in text and ("취소" in text) == cancel,
                f"the result box says what happened: {text!r}")
        t.key("Return", to=box)
        t.expect(lambda: not v.others(), f"{folder}: Return on the result box leaves the main window alone")
        for w in v.others():  # close what stayed, to go on
            t.key("Escape", to=w)
        v.wait_alone("the main window alone")
    v.quit()


def replace(t):
    """Replacing the drawn entry ("바꾸기…" in the canvas menu, by Shift+F10
    and by a right click): in place, saved with "바꾼 내용 저장", as a new
    file (which is then loaded and marked in File1), and a picture the
    container cannot take (the file stays, the refusal says why in Korean)."""
    target, new = t.copy_demo("r.zpk"), t.path("r-new.zpk")
    good = desk.write_png(t.path("good.png"), 40, 30, bytes((255, 0, 0)) * 600 + bytes((0, 0, 255)) * 600)
    other = desk.write_png(t.path("other.png"), 30, 30, (bytes((0, 160, 0)) * 15 + bytes((250, 250, 0)) * 15) * 30)
    noise = random.Random(7)
    # 200 colours, no two neighbours alike: far more than the 65,535 bytes an entry before the last may take
    huge = desk.write_png(t.path("huge.png"), 300, 300,
                          bytes(b for _ in range(90000) for b in (noise.randrange(200), 0, 9)))

    v = desk.Viewer(t, target)
    original = target.read_bytes()
    v.canvas_is(t.drawn(target, 0), "row 0 drawn")
    v.menu(3)  # 이미지 저장…, 복사, 바꾸기…
    v.through_dialog([], good, "the picture dialog")
    replace = v.wait_other("the replace dialog")
    t.check(replace.name == "항목 바꾸기", f"the replace dialog's title: {replace.name!r}")
    t.key("Tab", "space", to=replace)  # from the check box to 바꾸기
    v.wait_alone("the replace dialog closing")
    t.check(target.read_bytes() == original, "the edit is kept in memory until it is saved")
    v.menu(5)  # 바꾸기… then 되돌리기, 바꾼 내용 저장 (다시 하기 is disabled)
    desk.poll("the edit saved", lambda: desk.pixels(t.export(target, 0)) == desk.pixels(good.read_bytes()))
    t.check(desk.pixels(t.export(target, 0)) == desk.pixels(good.read_bytes()),
            "replaced in place: row 0 of the file is the picture")
    v.canvas_is(t.drawn(target, 0), "the replaced row drawn")

    before = target.read_bytes()
    t.click(*v.control("Picture1", 300, 400), button=3)
    desk.poll("the canvas menu", lambda: v.visible() > 1)
    t.key("Down", "Down", "Down", "Return")
    v.through_dialog([], other, "the picture dialog (right click)")
    replace = v.wait_other("the replace dialog")
    t.key("Tab", "Tab", "space", to=replace)  # 다른 이름으로 저장…
    t.key("Return", to=v.wait_other("the save-as dialog", besides=replace))  # suggested: r-new.zpk beside r.zpk
    v.wait_alone("the dialogs closing")
    desk.poll("r-new.zpk", new.exists)
    t.check(target.read_bytes() == before, "save as leaves the loaded file as it was")
    t.check(desk.pixels(t.export(new, 0)) == desk.pixels(other.read_bytes()), "r-new.zpk's row 0 is the picture")
    v.canvas_is(t.drawn(new, 0), "r-new.zpk loaded and its row drawn")
    t.expect(lambda: v.row_selected("File1", 0) and not v.row_selected("File1", 1),  # File1: r-new.zpk, r.zpk
             "File1 marks r-new.zpk, the file now loaded")

    before = new.read_bytes()
    v.menu(3)
    v.through_dialog([], huge, "the picture dialog (a picture too large)")
    replace = v.wait_other("the replace dialog")
    t.key("Tab", "space", to=replace)
    box = v.wait_other("the refusal", besides=replace)
    text = v.message_text(box)
    t.check("편집할 수 없습니다" in text, f"the refusal says the entry was not replaced: {text!r}")
    t.korean(text, "the refusal says why", new, huge)
    t.key("Return", to=box)
    v.wait_alone("the refusal closing")
    t.check(new.read_bytes() == before, "a refused picture leaves the file as it was")
    v.quit()


desk.main({"messages": messages, "export_all": export_all, "replace": replace})
