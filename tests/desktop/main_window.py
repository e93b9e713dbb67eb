"""The main window's flows, each on its own desktop (desk.main)."""

import desk

ENGLISH = {"LC_ALL": "en_US.UTF-8"}


def opening(t):
    """Opening a container three ways: Ctrl+O and the real file dialog, a
    click in File1, and `zpkview FILE` (in English); the title names the file
    and the row drawn once something is loaded, the caption alone before."""
    demo, green = t.copy_demo("here", "demo.zpk"), t.path("here", "green.zpk")
    t.zpk("pack", green, desk.write_png(t.path("green.png"), 20, 10, bytes((0, 200, 0)) * 200))

    v = desk.Viewer(t, cwd=t.path("here"))
    t.check(v.title() == desk.CAPTION["ko"], f"before a load the title is the caption alone: {v.title()!r}")
    v.through_dialog(["ctrl+o"], demo, "the open dialog (Ctrl+O)")
    v.canvas_is(t.drawn(demo, 0), "Ctrl+O, a path typed and Return draw row 0")
    t.expect(lambda: v.title() == f"demo.zpk (항목 0) — {desk.CAPTION['ko']}",
             "after a load the title names the file and row")
    v.click("File1", 1)  # File1 lists demo.zpk, green.zpk
    v.canvas_is(t.drawn(green, 0), "a click on green.zpk in File1 draws it")
    t.check(v.row_selected("File1", 1), "File1 marks green.zpk")
    v.click("List1", 0)
    v.quit()

    v = desk.Viewer(t, demo, lang="en", log="viewer-en")
    v.canvas_is(t.drawn(demo, 0), "zpkview FILE draws its row 0")
    t.check(v.row_selected("File1", 0), "File1 lists FILE's folder and marks FILE")
    v.click("List1", 2)
    v.canvas_is(t.drawn(demo, 2), "a click on row 2 of List1 draws it")
    t.expect(lambda: v.title() == f"demo.zpk (entry 2) — {desk.CAPTION['en']}",
             "the English title names the file and row")
    v.quit()


def picture(t):
    """The picture options, in English: "don't draw index 0" leaves what is
    under value 0, "clear before drawing" off keeps the last picture under the
    next, and UserColor with the colour boxes draws the ramp `zpk export
    --user-color` draws."""
    v = desk.Viewer(t, t.demo, env=ENGLISH)
    v.canvas_is(t.drawn(t.demo, 0), "row 0 as zpk export draws it")
    v.click("mode_back")
    v.click("List1", 5)
    row5 = t.drawn(t.demo, 5, "--drop-first")
    v.canvas_is(row5, "don't draw index 0: row 5 over a white canvas")
    v.click("mode_clear")  # off
    v.click("List1", 0)
    v.canvas_is(t.drawn(t.demo, 0, "--drop-first", under=row5), "clear off: row 0 without its value 0 over row 5")
    v.click("mode_clear")  # on again
    v.click("mode_back")  # off again
    v.click("check_color")
    for box, value in (("color1", "200"), ("color3", "80")):
        v.click(box)
        t.key("ctrl+a")
        t.type(value)
    v.canvas_is(t.drawn(t.demo, 0, "--user-color", "--color1", "200", "--color3", "80"),
                "UserColor with 200, 0, 80 typed in the colour boxes")
    v.quit()


def save_copy(t):
    """Saving (Ctrl+S and the real save dialog) writes the PNG `zpk export`
    writes for the drawn entry; copying (Ctrl+Shift+C) puts the same pixels
    on the clipboard as image/png."""
    saved = t.path("saved.png")
    v = desk.Viewer(t, t.demo)
    v.click("List1", 5)
    expected = t.export(t.demo, 5)
    v.canvas_is(desk.canvas_with(expected), "row 5 drawn")
    v.through_dialog(["ctrl+s"], saved, "the save dialog (Ctrl+S)", select_all=True)
    desk.poll("the saved file", saved.exists)
    t.check(saved.read_bytes() == expected, "the saved PNG is byte for byte what zpk export writes for row 5")
    t.clear("clipboard")
    t.key("ctrl+shift+c", to=v.main)
    png = desk.poll("image/png on the clipboard", lambda: t.selection("clipboard", "image/png"))
    t.check(desk.pixels(png) == desk.pixels(expected), "the clipboard's image/png has the pixels of zpk export's PNG")
    v.quit()


def palette(t):
    """Palettes from the canvas menu: "팔레트 저장…" writes what `zpk palette`
    writes, "팔레트 불러오기…" draws as `zpk export --palette` does, and
    "팔레트 되돌리기" draws with the stored colours again."""
    load, revert_in_use, save_none_in_use = 10, 11, 11  # menu rows for the keyboard, disabled ones skipped
    gpl, saved = t.path("night.gpl"), t.path("saved.gpl")
    gpl.write_text("GIMP Palette\nName: night\n#\n"
                   + "".join(f"{v} {255 - v} {v * 7 % 256}\tc{v}\n" for v in range(256)))
    v = desk.Viewer(t, t.demo)
    v.canvas_is(stored := t.drawn(t.demo, 0), "row 0 drawn")
    v.menu(save_none_in_use)
    v.through_dialog([], saved, "the palette save dialog", select_all=True)
    desk.poll("the saved palette", saved.exists)
    t.zpk("palette", t.demo, "--entry", "0", "-o", t.path("zpk.gpl"))
    t.check(saved.read_bytes() == t.path("zpk.gpl").read_bytes(), "the saved palette is what zpk palette writes")
    v.menu(load)
    v.through_dialog([], gpl, "the palette open dialog")
    v.canvas_is(t.drawn(t.demo, 0, "--palette", gpl), "drawn in the loaded palette's colours")
    v.menu(revert_in_use)
    v.canvas_is(stored, "reverted: drawn in the stored colours again")
    v.quit()


def recent(t):
    """Recent files across two runs of the viewer with the same private home,
    in English: the second run reopens both files from the canvas menu's
    "Recent Files", the newest first."""
    first, second = t.copy_demo("a", "first.zpk"), t.path("b", "second.zpk")
    second.parent.mkdir()
    t.zpk("pack", "-q", second, desk.write_png(t.path("blue.png"), 12, 12, bytes((20, 40, 220)) * 144))
    v = desk.Viewer(t, first, env=ENGLISH, log="viewer-1")
    v.through_dialog(["ctrl+o"], second, "the open dialog")
    v.canvas_is(t.drawn(second, 0), "the first run opens second.zpk")
    v.quit()

    v = desk.Viewer(t, env=ENGLISH, cwd=t.work, log="viewer-2")
    for number, path, what in ((1, second, "the second run: recent file 1 is second.zpk"),
                               (2, first, "recent file 2 is first.zpk")):
        shown = v.open_menu()
        t.key("Up", "Up", "Right")  # from the bottom: About, Recent Files, into it
        desk.poll("the recent files", lambda: v.visible() > shown)
        t.key(str(number))
        v.canvas_is(t.drawn(path, 0), what)
    v.quit()


def qt_options(t):
    """Qt's own options work beside the viewer's on a display: -style with a
    FILE opens it (DesktopTest checks them without one)."""
    v = desk.Viewer(t, "-style", "Fusion", t.demo)
    v.canvas_is(t.drawn(t.demo, 0), "zpkview -style Fusion FILE draws FILE")
    v.quit()


def scale(t):
    """The window at QT_SCALE_FACTOR 1.5 and 2 on a 1280x800 screen: at 1.5
    the bottom border of both lists is drawn; at 2 the title bar is on the
    screen, inside the area the window manager leaves for windows."""
    v = desk.Viewer(t, t.demo, env={"QT_SCALE_FACTOR": "1.5"}, log="viewer-1.5")
    for name in ("List1", "File1"):
        cx, cy, cw, ch = desk.CONTROLS[name]

        # a column 3/4 across, from the frame's first device row to its last: the last is the first's colour,
        # darker than the window (239), over the list's white (which an unpainted window lacks)
        def bordered():
            x, y, _, _ = t.geometry(v.main)
            top, bottom = int(cy * 1.5), int((cy + ch) * 1.5)
            c = t.grab(x + int((cx + cw * 0.75) * 1.5), y + top, 1, bottom - top)
            return c[-3:] == c[:3] and max(c[:3]) < 215 and min(c[-6:-3]) > 245
        t.expect(bordered, f"QT_SCALE_FACTOR=1.5: {name} has its bottom border")
    v.quit()

    v = desk.Viewer(t, t.demo, env={"QT_SCALE_FACTOR": "2"}, log="viewer-2")
    area = [int(n) for n in t.x("xprop", "-root", "_NET_WORKAREA").partition("=")[2].split(",")[:4]]

    def title_bar():  # framed, with a title bar above the client, and the frame's top inside the work area
        frame, client = t.frame(v.main), t.geometry(v.main)
        return frame and frame[1] < client[1] and area[1] <= frame[1] < area[1] + area[3], (frame, client)
    desk.within(lambda: title_bar()[0])
    t.check((found := title_bar())[0], f"QT_SCALE_FACTOR=2: the title bar is inside the work area {area}: {found[1]}")
    v.quit()


desk.main({"open": opening, "picture": picture, "save_copy": save_copy, "palette": palette, "recent": recent,
           "qt_options": qt_options, "scale": scale}, screens={"scale": "1280x800"})
