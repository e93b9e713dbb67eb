#!/usr/bin/python3
"""The inspector (Ctrl+I) and the gallery (Ctrl+G), in English, on a screen
wide enough for three windows side by side: each opens
beside the main window (their frames do not overlap), names the file,
zooms with its keys, and the gallery draws the entry clicked or chosen with
the arrow keys and Return; Escape closes each."""
import desk


def overlap(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def pixels(t, window):
    return t.desk.grab().region(*t.desk.geometry(window))


def changes(t, v, window, keys, what):
    before = pixels(t, window)
    t.desk.key(*keys)
    try:
        desk.poll(what, lambda: v.need_alive() or pixels(t, window) != before, seconds=3)
        return t.check(True, what)
    except desk.Failure:
        return t.check(False, what)


def run(t):
    demo = t.samples + "/demo.zpk"
    v = t.viewer(demo, lang="en")
    main = t.desk.frame(v.main)

    t.desk.key("ctrl+i")
    inspector = v.wait_other("the inspector")
    t.check("demo.zpk" in inspector.name, f"the inspector names the file: {inspector.name!r}")
    t.check(not overlap(t.desk.frame(inspector), main), "the inspector opens beside the main window")
    t.desk.activate(inspector)
    changes(t, v, inspector, ["plus"], "+ zooms the inspector in")
    changes(t, v, inspector, ["0"], "0 fits the picture again")
    t.desk.key("Escape")
    v.wait_alone("Escape closing the inspector")

    t.desk.activate(v.main)
    t.desk.key("ctrl+g")
    gallery = v.wait_other("the gallery")
    t.check("demo.zpk" in gallery.name, f"the gallery names the file: {gallery.name!r}")
    t.check(not overlap(t.desk.frame(gallery), main),
            f"the gallery opens beside the main window: {t.desk.frame(gallery)} and {main}")
    t.desk.activate(gallery)
    changes(t, v, gallery, ["ctrl+plus"], "Ctrl++ makes the thumbnails larger")
    changes(t, v, gallery, ["ctrl+minus"], "Ctrl+- makes them smaller again")
    # thumbnails of 128 pixels in cells 140 wide, from (12, 35) of the gallery
    gx, gy, _, _ = t.desk.geometry(gallery)
    t.desk.click(gx + 82 + 140, gy + 103)
    v.canvas_is(desk.canvas_with(t.export(demo, 1)), "a click on thumbnail 1 draws row 1")
    t.desk.activate(gallery)
    t.desk.key("Right", "Return")
    v.canvas_is(desk.canvas_with(t.export(demo, 2)), "Right and Return in the gallery draw row 2")
    t.desk.activate(gallery)
    t.desk.key("Escape")
    v.wait_alone("Escape closing the gallery")
    v.quit()

    # opened at start, before the window manager has framed the main window
    for option in ("--gallery", "--inspect"):
        v = t.viewer(option, demo, lang="en", log="viewer" + option)
        window = v.wait_other(option)
        try:
            desk.poll("the frames", lambda: not overlap(t.desk.frame(window), t.desk.frame(v.main)), seconds=2)
        except desk.Failure:
            pass
        t.check(not overlap(t.desk.frame(window), t.desk.frame(v.main)),
                f"zpkview {option} FILE: beside the main window: {t.desk.frame(window)} and {t.desk.frame(v.main)}")
        v.quit()


desk.main(run, screen="2400x1000")
