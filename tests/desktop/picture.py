#!/usr/bin/python3
"""The picture options, in English (LC_ALL=en_US.UTF-8): "don't draw index 0"
leaves what is under value 0, "clear before drawing" off keeps the last
picture under the next, and UserColor with the colour boxes draws the ramp
`zpk export --user-color` draws."""
import desk


def run(t):
    demo = t.samples + "/demo.zpk"
    v = t.viewer(demo, env={"LC_ALL": "en_US.UTF-8"})
    v.canvas_is(desk.canvas_with(t.export(demo, 0)), "row 0 as zpk export draws it")

    v.click("mode_back")
    v.click_row("List1", 5)
    row5 = desk.canvas_with(t.export(demo, 5, "--drop-first"))
    v.canvas_is(row5, "don't draw index 0: row 5 over a white canvas")

    v.click("mode_clear")  # off
    v.click_row("List1", 0)
    v.canvas_is(desk.canvas_with(t.export(demo, 0, "--drop-first"), under=row5),
                "clear off: row 0 without its value 0 over row 5")

    v.click("mode_clear")  # on again
    v.click("mode_back")  # off again
    v.click("check_color")
    for box, value in (("color1", "200"), ("color3", "80")):
        v.click(box)
        t.key("ctrl+a")
        t.type(value)
    v.canvas_is(desk.canvas_with(t.export(demo, 0, "--user-color", "--color1", "200", "--color3", "80")),
                "UserColor with 200, 0, 80 typed in the colour boxes")
    v.quit()


desk.main(run)
