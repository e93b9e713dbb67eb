#!/usr/bin/python3
"""Every key of every window: what each opens, draws or copies in the main
window, the inspector and the gallery; Ctrl+W closes the inspector and the
gallery and Ctrl+Q ends the program from each window."""
import desk


def opens(t, v, keys, what, close=("Escape",)):
    """keys open another window of the viewer; `close` closes it again."""
    t.desk.activate(v.main)
    t.desk.key(*keys)
    try:
        window = v.wait_other(what, seconds=3)
    except desk.Failure:
        return t.check(False, what)
    t.check(True, f"{what}: {window.name!r}")
    t.desk.activate(window)
    t.desk.key(*close)
    v.wait_alone(what + " closing")


def copies(t, v, keys, what):
    t.desk.clear_clipboard()
    t.desk.key(*keys)
    try:
        desk.poll(what, lambda: v.need_alive() or t.desk.clipboard("image/png"), seconds=3)
        t.check(True, what)
    except desk.Failure:
        t.check(False, what)


def ends(t, v, what):
    try:
        v.process.wait(3)
    except Exception:
        pass
    t.check(v.process.poll() is not None, what)
    if v.process.poll() is None:
        v.process.terminate()
        v.process.wait(3)


def run(t):
    demo = t.samples + "/demo.zpk"
    v = t.viewer(demo)
    v.click_row("List1", 0)
    t.desk.key("Down")
    v.canvas_is(desk.canvas_with(t.export(demo, 1)), "Down in List1 draws row 1")
    opens(t, v, ["F1"], "F1 shows the about box", close=("Return",))
    opens(t, v, ["ctrl+o"], "Ctrl+O opens the file dialog")
    opens(t, v, ["ctrl+s"], "Ctrl+S opens the save dialog")
    opens(t, v, ["ctrl+e"], "Ctrl+E opens the export folder dialog")
    for keys in (["shift+F10"], ["Menu"]):
        before = v.visible()
        t.desk.activate(v.main)
        t.desk.key(*keys)
        try:
            desk.poll("menu", lambda: v.visible() > before, seconds=3)
            t.check(True, f"{keys[0]} opens the canvas menu")
        except desk.Failure:
            t.check(False, f"{keys[0]} opens the canvas menu")
        t.desk.key("Escape")
        desk.poll("the menu closing", lambda: v.visible() == before, seconds=3)
    t.desk.activate(v.main)
    copies(t, v, ["ctrl+shift+c"], "Ctrl+Shift+C copies the picture")
    v.click("Picture1")
    copies(t, v, ["ctrl+c"], "Ctrl+C on the canvas copies the picture")

    t.desk.activate(v.main)
    t.desk.key("ctrl+i")
    inspector = v.wait_other("the inspector (Ctrl+I)")
    t.desk.activate(inspector)
    copies(t, v, ["ctrl+c"], "Ctrl+C in the inspector copies the picture")
    t.desk.key("ctrl+s")
    try:
        dialog = v.wait_other("Ctrl+S in the inspector opens the save dialog", besides=inspector, seconds=3)
        t.check(True, "Ctrl+S in the inspector opens the save dialog")
        t.desk.activate(dialog)
        t.desk.key("Escape")
        desk.poll("the dialog closing", lambda: len(v.others()) == 1)
    except desk.Failure:
        t.check(False, "Ctrl+S in the inspector opens the save dialog")

    for keys, name in ((["ctrl+i"], "inspector"), (["ctrl+g"], "gallery")):
        t.desk.activate(v.main)
        t.desk.key(*keys)
        window = v.wait_other(f"the {name}")
        t.desk.activate(window)
        t.desk.key("ctrl+w")
        try:
            v.wait_alone(f"Ctrl+W closing the {name}", seconds=2)
        except desk.Failure:
            pass
        t.check(not v.others() and v.process.poll() is None, f"Ctrl+W closes the {name}, the main window stays")
        for w in v.others():
            t.desk.activate(w)
            t.desk.key("Escape")
        v.wait_alone(f"the {name} closed")
    v.quit()
    t.check(True, "Ctrl+Q in the main window ends the program")

    for keys, name in ((["ctrl+g"], "gallery"), (["ctrl+i"], "inspector")):
        v = t.viewer(demo, log=f"viewer-{name}")
        t.desk.key(*keys)
        window = v.wait_other(f"the {name}")
        t.desk.activate(window)
        t.desk.key("ctrl+q")
        ends(t, v, f"Ctrl+Q in the {name} ends the program")


desk.main(run, screen="1600x1000")
