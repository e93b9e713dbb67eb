#!/usr/bin/python3
"""Every key of every window: what each opens, draws or copies in the main
window, the inspector and the gallery; Ctrl+W closes the inspector and the
gallery and Ctrl+Q ends the program from each window."""
import desk


def run(t):
    demo = t.samples + "/demo.zpk"
    v = t.viewer(demo)
    v.click_row("List1", 0)
    t.key("Down")
    v.canvas_is(desk.canvas_with(t.export(demo, 1)), "Down in List1 draws row 1")

    def opens(keys, what, close="Escape", besides=None):
        """keys open another window of the viewer, `close` closes it again."""
        t.key(*keys)
        window = desk.within(lambda: [w for w in v.others() if w.id != getattr(besides, "id", 0)])
        if t.check(window, f"{what}: {window}"):
            t.activate(window[-1])
            t.key(close)
            desk.poll(what + " closing", lambda: len(v.others()) == (besides is not None))

    def copies(keys, what):
        t.clear("clipboard")
        t.key(*keys)
        t.expect(lambda: v.need_alive() or t.selection("clipboard", "image/png"), what)

    for keys, what, close in ((["F1"], "F1 shows the about box", "Return"),
                              (["ctrl+o"], "Ctrl+O opens the file dialog", "Escape"),
                              (["ctrl+s"], "Ctrl+S opens the save dialog", "Escape"),
                              (["ctrl+e"], "Ctrl+E opens the export folder dialog", "Escape")):
        t.activate(v.main)
        opens(keys, what, close)
    for keys in ("shift+F10", "Menu"):
        if t.check(shown := v.open_menu([keys]), f"{keys} opens the canvas menu"):
            t.key("Escape")
            desk.poll("the menu closing", lambda: v.visible() < shown, 3)
    t.activate(v.main)
    copies(["ctrl+shift+c"], "Ctrl+Shift+C copies the picture")
    v.click("Picture1")
    copies(["ctrl+c"], "Ctrl+C on the canvas copies the picture")

    t.activate(v.main)
    t.key("ctrl+i")
    inspector = v.wait_other("the inspector (Ctrl+I)")
    t.activate(inspector)
    copies(["ctrl+c"], "Ctrl+C in the inspector copies the picture")
    opens(["ctrl+s"], "Ctrl+S in the inspector opens the save dialog", besides=inspector)
    for keys, name in (("ctrl+i", "inspector"), ("ctrl+g", "gallery")):
        t.activate(v.main)
        t.key(keys)
        t.activate(v.wait_other(f"the {name}"))
        t.key("ctrl+w")
        t.expect(lambda: not v.others() and v.process.poll() is None, f"Ctrl+W closes the {name}, the main window stays")
        for w in v.others():
            t.activate(w)
            t.key("Escape")
        v.wait_alone(f"the {name} closed")
    v.quit()
    t.check(True, "Ctrl+Q in the main window ends the program")

    for keys, name in (("ctrl+g", "gallery"), ("ctrl+i", "inspector")):
        v = t.viewer(demo, log=f"viewer-{name}")
        t.key(keys)
        t.activate(v.wait_other(f"the {name}"))
        t.key("ctrl+q")
        t.expect(lambda: v.process.poll() is not None, f"Ctrl+Q in the {name} ends the program")


desk.main(run, screen="1600x1000")
