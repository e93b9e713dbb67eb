#!/usr/bin/python3
"""The inspector (Ctrl+I) and the gallery (Ctrl+G), in English, on a screen
wide enough for three windows side by side: each opens beside the main
window (their frames do not overlap), also when opened at start, names the
file, zooms with its keys, and the gallery draws the entry clicked or chosen
with the arrow keys and Return; Escape closes each."""
import desk


def apart(a, b):
    return a[0] >= b[0] + b[2] or b[0] >= a[0] + a[2] or a[1] >= b[1] + b[3] or b[1] >= a[1] + a[3]


def run(t):
    demo = t.samples + "/demo.zpk"
    v = t.viewer(demo, lang="en")
    main = t.frame(v.main)
    for keys, name, zooms in (("ctrl+i", "inspector", (("plus", "+ zooms the inspector in"),
                                                       ("0", "0 fits the picture again"))),
                              ("ctrl+g", "gallery", (("ctrl+plus", "Ctrl++ makes the thumbnails larger"),
                                                     ("ctrl+minus", "Ctrl+- makes them smaller again")))):
        t.activate(v.main)
        t.key(keys)
        window = v.wait_other(f"the {name}")
        t.check("demo.zpk" in window.name, f"the {name} names the file: {window.name!r}")
        t.check(apart(t.frame(window), main), f"the {name} opens beside the main window: {t.frame(window)}, {main}")
        t.activate(window)
        for key, what in zooms:
            before = t.grab().region(*t.geometry(window))
            t.key(key)
            t.expect(lambda: v.need_alive() or t.grab().region(*t.geometry(window)) != before, what)
        if name == "gallery":
            # thumbnails of 128 pixels in cells 140 wide, from (12, 35) of the gallery
            gx, gy, _, _ = t.geometry(window)
            t.click(gx + 82 + 140, gy + 103)
            v.canvas_is(desk.canvas_with(t.export(demo, 1)), "a click on thumbnail 1 draws row 1")
            t.activate(window)
            t.key("Right", "Return")
            v.canvas_is(desk.canvas_with(t.export(demo, 2)), "Right and Return in the gallery draw row 2")
            t.activate(window)
        t.key("Escape")
        v.wait_alone(f"Escape closing the {name}")
    v.quit()

    # opened at start, before the window manager has framed the main window
    for option in ("--gallery", "--inspect"):
        v = t.viewer(option, demo, lang="en", log="viewer" + option)
        window = v.wait_other(option)
        desk.within(lambda: apart(t.frame(window), t.frame(v.main)), 2)
        t.check(apart(a := t.frame(window), b := t.frame(v.main)), f"zpkview {option} FILE: beside the main window: {a}, {b}")
        v.quit()


desk.main(run, screen="2400x1000")
