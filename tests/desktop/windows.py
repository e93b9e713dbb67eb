"""The inspector's and the gallery's flows, each on its own desktop
(desk.main)."""
import re
import time

import desk


def apart(a, b):
    return a[0] >= b[0] + b[2] or b[0] >= a[0] + a[2] or a[1] >= b[1] + b[3] or b[1] >= a[1] + a[3]


def beside(t, v, window, what):
    """A probe: `window` and the main window come to be framed, their frames apart."""
    def frames():
        return t.frame(window), t.frame(v.main)
    desk.within(lambda: all(f := frames()) and apart(*f))
    t.check(all(f := frames()) and apart(*f), f"{what}: {f}")


def windows(t):
    """The inspector (Ctrl+I) and the gallery (Ctrl+G), in English, on a
    screen wide enough for three windows side by side: each opens beside the
    main window (their frames do not overlap), also when opened at start,
    names the file, zooms with its keys, and the gallery draws the entry
    clicked or chosen with the arrow keys and Return; Escape closes each."""
    v = desk.Viewer(t, t.demo, lang="en")
    for keys, name, zooms in (("ctrl+i", "inspector", (("plus", "+ zooms the inspector in"),
                                                       ("0", "0 fits the picture again"))),
                              ("ctrl+g", "gallery", (("ctrl+plus", "Ctrl++ makes the thumbnails larger"),
                                                     ("ctrl+minus", "Ctrl+- makes them smaller again")))):
        t.key(keys, to=v.main)
        window = v.wait_other(f"the {name}")
        t.check("demo.zpk" in window.name, f"the {name} names the file: {window.name!r}")
        beside(t, v, window, f"the {name} opens beside the main window")
        t.activate(window)
        for key, what in zooms:
            before = t.stable(t.geometry(window))  # the gallery's thumbnails come from worker threads
            t.key(key)
            t.expect(lambda: t.grab(*t.geometry(window)) != before, what)
        if name == "gallery":
            # thumbnails of 128 pixels in cells 140 wide, from (12, 35) of the gallery
            gx, gy, _, _ = t.geometry(window)
            t.click(gx + 82 + 140, gy + 103)
            v.canvas_is(t.drawn(t.demo, 1), "a click on thumbnail 1 draws row 1")
            t.key("Right", "Return", to=window)
            v.canvas_is(t.drawn(t.demo, 2), "Right and Return in the gallery draw row 2")
        t.key("Escape", to=window)
        v.wait_alone(f"Escape closing the {name}")
    v.quit()

    # opened at start, before the window manager has framed the main window
    for option in ("--gallery", "--inspect"):
        v = desk.Viewer(t, option, t.demo, lang="en", log="viewer" + option)
        window = v.wait_other(option)
        beside(t, v, window, f"zpkview {option} FILE: beside the main window")
        v.quit()


def keys(t):
    """Every key of every window: what each opens, draws or copies in the main
    window, the inspector and the gallery; Ctrl+W closes the inspector and the
    gallery and Ctrl+Q ends the program from each window."""
    v = desk.Viewer(t, t.demo)
    v.click("List1", 0)
    t.key("Down")
    v.canvas_is(t.drawn(t.demo, 1), "Down in List1 draws row 1")

    def opens(key, what, close="Escape", besides=None, to=v.main):
        """A key opens another window of the viewer, `close` closes it again."""
        t.key(key, to=to)
        window = desk.within(lambda: [w for w in v.others() if w.id != getattr(besides, "id", 0)])
        if t.check(window, f"{what}: {window}"):
            t.key(close, to=window[-1])
            desk.poll(what + " closing", lambda: len(v.others()) == (besides is not None))

    def copies(key, what, to):
        t.clear("clipboard")
        t.key(key, to=to)
        t.expect(lambda: t.selection("clipboard", "image/png"), what)

    opens("F1", "F1 shows the about box", close="Return")
    opens("ctrl+o", "Ctrl+O opens the file dialog")
    opens("ctrl+s", "Ctrl+S opens the save dialog")
    opens("ctrl+e", "Ctrl+E opens the export folder dialog")
    for key in ("shift+F10", "Menu"):
        if t.check(shown := v.open_menu([key]), f"{key} opens the canvas menu"):
            t.key("Escape")
            desk.poll("the menu closing", lambda: v.visible() < shown)
    copies("ctrl+shift+c", "Ctrl+Shift+C copies the picture", v.main)
    v.click("Picture1")
    copies("ctrl+c", "Ctrl+C on the canvas copies the picture", None)
    t.key("ctrl+i", to=v.main)
    inspector = v.wait_other("the inspector (Ctrl+I)")
    copies("ctrl+c", "Ctrl+C in the inspector copies the picture", inspector)
    opens("ctrl+s", "Ctrl+S in the inspector opens the save dialog", besides=inspector, to=inspector)
    for key, name in (("ctrl+i", "inspector"), ("ctrl+g", "gallery"), ("ctrl+p", "player")):
        t.key(key, to=v.main)
        t.key("ctrl+w", to=v.wait_other(f"the {name}"))
        t.expect(lambda: not v.others() and v.process.poll() is None,
                 f"Ctrl+W closes the {name}, the main window stays")
        for w in v.others():
            t.key("Escape", to=w)
        v.wait_alone(f"the {name} closed")
    for key, name in ((None, "main window"), ("ctrl+g", "gallery"), ("ctrl+i", "inspector")):
        if key:
            v = desk.Viewer(t, t.demo, log=f"viewer-{name}")
            t.key(key)
        t.key("ctrl+q", to=v.wait_other(f"the {name}") if key else v.main)
        t.expect(lambda: v.process.poll() is not None, f"Ctrl+Q in the {name} ends the program")


def edit(t):
    """Editing in the gallery with its keys: Delete takes the selected row out
    and Alt+Right moves one, in memory only while both titles show a star;
    Ctrl+Z and Ctrl+Y undo and redo; Ctrl+S writes the rows in their new
    order. Ctrl+Q with an edit unsaved asks (저장, 버리기, 취소): Escape keeps
    the viewer and the edit, 버리기 ends it and leaves the file as saved."""
    demo = t.copy_demo("e", "demo.zpk")
    original = demo.read_bytes()
    pictures = [desk.pixels(t.export(t.demo, row)) for row in range(7)]
    v = desk.Viewer(t, demo)
    t.key("ctrl+g", to=v.main)
    gallery = v.wait_other("the gallery (Ctrl+G)")

    def titled(star, row, what):
        name = "demo.zpk" + star
        expected = (f"{name} (항목 {row}) — {desk.CAPTION['ko']}", f"모아 보기 - {name}")
        t.expect(lambda: (v.title(), next((w.name for w in v.windows() if w.id == gallery.id), None)) == expected,
                 f"{what}: the titles {expected}")

    def thumbnail(row):  # thumbnails of 128 pixels in cells 140 wide, rows 0 and 1 on the first line
        t.activate(gallery)
        gx, gy, _, _ = t.geometry(gallery)
        t.click(gx + 82 + 140 * row, gy + 103)

    def in_file(order, what):
        count = int(re.search(r"(\d+) entries", t.zpk("list", demo).decode())[1])
        rows = [next((k for k, p in enumerate(pictures) if p == desk.pixels(t.export(demo, row))), None)
                for row in range(count)]
        t.check(rows == order, f"{what}: the file's rows are the original's {order}: {rows}")

    thumbnail(1)
    v.canvas_is(t.drawn(t.demo, 1), "a click on thumbnail 1 draws row 1")
    t.key("Delete", to=gallery)
    titled("*", 1, "Delete in the gallery")
    v.canvas_is(t.drawn(t.demo, 2), "Delete: row 2 takes row 1's place")
    t.check(demo.read_bytes() == original, "Delete: the file stays as it was until it is saved")
    v.click("List1", 0)
    t.key("End")
    titled("*", 5, "End in List1: the last of six rows")
    v.canvas_is(t.drawn(t.demo, 6), "End in List1 draws the original's row 6")

    t.key("ctrl+z", to=gallery)
    titled("", 1, "Ctrl+Z in the gallery undoes the delete")
    v.canvas_is(t.drawn(t.demo, 1), "Ctrl+Z: row 1 is back and drawn")
    t.key("ctrl+y", to=gallery)
    titled("*", 1, "Ctrl+Y in the gallery redoes it")
    thumbnail(0)
    titled("*", 0, "a click on thumbnail 0 draws row 0")
    t.key("alt+Right", to=gallery)
    titled("*", 1, "Alt+Right: row 0 moved behind row 1, still selected and drawn")
    v.canvas_is(t.drawn(t.demo, 0), "Alt+Right: the moved row drawn")
    t.key("ctrl+s", to=gallery)
    titled("", 1, "Ctrl+S in the gallery saves")
    in_file([2, 0, 3, 4, 5, 6], "saved")
    saved = demo.read_bytes()

    t.key("Delete", to=gallery)
    titled("*", 1, "another Delete")
    t.key("ctrl+q", to=gallery)
    box = v.wait_other("the box asking what to do with the edit (Ctrl+Q in the gallery)", besides=gallery)
    text = v.message_text(box)
    t.check(box.name == desk.CAPTION["ko"] and "demo.zpk" in text and "저장" in text,
            f"the box names the file and asks to save it: {box.name!r}, {text!r}")
    t.korean(text, "the box asks", "demo.zpk")
    t.key("Escape", to=box)
    desk.poll("the box closing", lambda: box.id not in [w.id for w in v.windows()])
    titled("*", 1, "Escape (취소): the viewer stays with its edit")
    t.key("ctrl+q", to=v.main)
    box = v.wait_other("the box again (Ctrl+Q in the main window)", besides=gallery)
    t.key("shift+Tab", "space", to=box)  # from 취소, the default, back to 버리기 (저장, 버리기, 취소)
    t.expect(lambda: v.process.poll() is not None, "버리기 ends the viewer")
    t.check(demo.read_bytes() == saved, "버리기: the file is the one saved with Ctrl+S")


def animate(t):
    """The player and the comparison. Ctrl+P opens the player on every row:
    Space plays (the picture changes) and pauses (it stays), Ctrl+S saves
    through Qt's file dialog the GIF `zpk gif` writes of the file, Ctrl+W
    closes the player. "비교…" in the canvas menu compares the file with a
    copy whose row 2 was replaced: the window names both files and selects
    that row, Down shows another row and Right goes back to the only row
    that differs; Escape closes it."""
    v = desk.Viewer(t, t.demo)
    t.key("ctrl+p", to=v.main)
    player = v.wait_other("the player (Ctrl+P)")
    t.check(player.name == "재생 - demo.zpk", f"the player names the file: {player.name!r}")
    t.activate(player)
    place = t.geometry(player)
    still = t.stable(place)
    t.key("space", to=player)
    t.expect(lambda: t.grab(*place) != still, "Space plays: the picture changes")
    t.key("space", to=player)
    paused = t.stable(place)
    time.sleep(0.5)
    t.check(t.grab(*place) == paused, "Space again pauses: the picture stays")

    gif, expected = t.path("demo.gif"), t.path("zpk.gif")
    t.key("ctrl+s", to=player)
    dialog = v.wait_other("the GIF save dialog (Ctrl+S in the player)", besides=player)
    t.activate(dialog)
    t.key("ctrl+a")
    t.type(str(gif))
    t.key("Return")
    desk.poll("the GIF written", gif.exists)
    t.zpk("gif", t.demo, "-o", expected)
    t.expect(lambda: gif.read_bytes() == expected.read_bytes(), "the player's GIF is what zpk gif writes")
    t.key("ctrl+w", to=player)
    v.wait_alone("Ctrl+W closing the player")

    other = t.copy_demo("c", "other.zpk")
    red = desk.write_png(t.path("red.png"), 12, 9, bytes([200, 30, 30]) * (12 * 9))
    t.zpk("replace", other, "--entry", "2", red)
    v.menu(9)  # 비교…, behind 재생
    dialog = v.wait_other("the dialog of 비교…")
    t.activate(dialog)
    t.type(str(other))
    t.key("Return")
    window = desk.poll("the comparison", lambda: [w for w in v.others() if w.name.startswith("비교 - ")])[-1]
    t.check(window.name == "비교 - demo.zpk : other.zpk", f"the comparison names both files: {window.name!r}")
    t.activate(window)
    x, y, w, h = t.geometry(window)
    place = (x, y + h * 2 // 3, w, h // 4)  # the pictures: A, B and the differing pixels
    changed = t.stable(place)
    t.key("Down", to=window)
    t.expect(lambda: t.grab(*place) != changed, "Down selects and shows row 3")
    t.key("Right", to=window)
    t.expect(lambda: t.grab(*place) == changed, "Right goes back to row 2, the only row that differs")
    t.key("Escape", to=window)
    v.wait_alone("Escape closing the comparison")
    v.quit()


desk.main({"windows": windows, "keys": keys, "edit": edit, "animate": animate},
          screens={"windows": "2400x1000", "keys": "1600x1000", "edit": "1600x1000", "animate": "1600x1000"})
