#!/usr/bin/python3
"""The window at QT_SCALE_FACTOR 1.5 and 2 on a 1280x800 screen: at 1.5 the
bottom border of both lists is drawn; at 2 the title bar is on the screen,
inside the area the window manager leaves for windows."""
import desk


def border_below(t, screen, v, name, scale):
    """Whether a frame line runs along the bottom of a list, in its middle column."""
    x, y, _, _ = t.geometry(v.main)
    cx, cy, cw, ch = desk.CONTROLS[name]
    column = x + int((cx + cw * 0.75) * scale)
    bottom = y + int((cy + ch) * scale)  # just below the list's last row of pixels
    # darker than the window (239) and than the list's white inside
    return any(max(screen.px(column, row)) < 215 for row in range(bottom - 3, bottom + 1))


def run(t):
    demo = t.samples + "/demo.zpk"
    v = t.viewer(demo, env={"QT_SCALE_FACTOR": "1.5"}, log="viewer-1.5")
    t.activate(v.main)
    screen = t.grab()
    for name in ("List1", "File1"):
        t.check(border_below(t, screen, v, name, 1.5), f"QT_SCALE_FACTOR=1.5: {name} has its bottom border")
    v.quit()

    v = t.viewer(demo, env={"QT_SCALE_FACTOR": "2"}, log="viewer-2")
    fx, fy, fw, fh = t.frame(v.main)
    cx, cy, _, _ = t.geometry(v.main)
    area = [int(n) for n in t.x("xprop", "-root", "_NET_WORKAREA").partition("=")[2].split(",")[:4]]
    t.check(fy >= area[1] and cy <= area[1] + area[3],
            f"QT_SCALE_FACTOR=2: the title bar (frame top {fy}, client top {cy}) is inside the work area {area}")
    v.quit()


desk.main(run, screen="1280x800")
