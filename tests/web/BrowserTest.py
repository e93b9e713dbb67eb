#!/usr/bin/python3
"""The page in Debian's chromium, headless, against `zpk`.

Every container given is opened through input#file; every row is clicked
with each set of picture options and canvas#picture is compared, pixel for
pixel, with the PNG `zpk export --rgba` writes of the same row and options
(a row zpk cannot export must leave the canvas empty). Then: a damaged file
and one over 1 GiB show their message and keep the picture; "PNG로 저장"
and "모두 내보내기" hand out the pixels and names zpk writes; the gallery
fills; no request leaves the page's origin.

    BrowserTest.py --site DIR --zpk ZPK CONTAINER...

Exits 77 (skipped) when chromium, its driver or a Python module is missing.
"""
import argparse
import base64
import functools
import hashlib
import http.server
import io
import json
import os
import subprocess
import sys
import tempfile
import threading
import time
import zipfile

try:
    from PIL import Image
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError as missing:
    print(f"skipped: {missing} (scripts/install-deps test)")
    sys.exit(77)

CHROMIUM = "/usr/bin/chromium"
DRIVER = "/usr/bin/chromedriver"
WAIT_SECONDS = 20

# (name, what the page is set to, zpk export's options for the same picture)
OPTION_SETS = [
    ("stored colours", dict(), []),
    ("drop-first", dict(dropFirst=True), ["--drop-first"]),
    ("ramp", dict(userColor=True, colors=("10", "-5", "2.5")),
     ["--user-color", "--color1", "10", "--color2", "-5", "--color3", "2.5"]),
    # a text that is not a number leaves the stored colours
    ("ramp with a word", dict(userColor=True, dropFirst=True, colors=("abc", "20", "30")), ["--drop-first"]),
]

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what, flush=True)


def wait_for(condition, what):
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")


def rgba_of(png):
    with Image.open(png) as image:
        return image.size, image.convert("RGBA").tobytes()


def digest_of(png):
    """The size and the SHA-256 of the RGBA bytes of a PNG, as Page.draw_rows gives them."""
    size, pixels = rgba_of(png)
    return size, hashlib.sha256(pixels).hexdigest()


class Server:
    """The site on 127.0.0.1, a free port; every path asked for is kept."""

    def __init__(self, site):
        self.paths = []
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                server.paths.append(self.path)

        handler = functools.partial(Handler, directory=site)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.origin = f"http://127.0.0.1:{self.httpd.server_address[1]}"
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()


class Page:
    def __init__(self, origin, downloads):
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1280,900",
                         "--disable-background-networking", "--no-first-run"]:
            options.add_argument(argument)
        options.add_experimental_option("prefs", {"intl.accept_languages": "ko"})
        options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service(DRIVER), options=options)
        self.driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
        self.driver.get(origin + "/index.html")
        wait_for(lambda: self.script("return document.body.dataset.ready"), "the page to start")

    def script(self, code, *args):
        return self.driver.execute_script(code, *args)

    def find(self, selector):
        return self.driver.find_element(By.CSS_SELECTOR, selector)

    def open(self, path):
        opened = lambda: int(self.script("return document.body.dataset.opened || 0"))
        before = opened()
        self.find("input#file").send_keys(os.path.abspath(path))
        wait_for(lambda: opened() > before, f"{os.path.basename(path)} to load or be refused")

    def set_options(self, settings):
        for box, on in (("clear", True), ("drop-first", settings.get("dropFirst", False)),
                        ("user-color", settings.get("userColor", False))):
            element = self.find(f"#{box}")
            if element.is_selected() != on:
                element.click()
        for n, text in enumerate(settings.get("colors", ("0", "0", "0")), start=1):
            field = self.find(f"#color{n}")
            if field.get_attribute("value") != text:
                field.clear()
                field.send_keys(text)

    def draw_rows(self, rows):
        """Clicks each row of `rows` in turn: the canvas's size and the SHA-256 of its RGBA bytes
        after each (a 4000 x 4000 picture is 64 MB: its digest crosses to the test, not its bytes)."""
        return [((w, h), digest) for w, h, digest in self.script(
            "return (async (rows) => {"
            "const drawn = [];"
            "for (const row of rows) {"
            "  document.querySelector(`#entries [data-row=\"${row}\"]`).click();"
            "  const c = document.getElementById('picture');"
            "  if (c.dataset.row !== String(row)) drawn.push([-1, -1, '']);"
            "  else if (c.width === 0 || c.height === 0) drawn.push([c.width, c.height, '']);"
            "  else {"
            "    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;"
            "    const h = new Uint8Array(await crypto.subtle.digest('SHA-256', d));"
            "    drawn.push([c.width, c.height, [...h].map((b) => b.toString(16).padStart(2, '0')).join('')]);"
            "  }"
            "}"
            "return drawn;"
            "})(arguments[0]);", list(rows))]

    def draw_row(self, row):
        return self.draw_rows([row])[0]

    def rows(self):
        return self.script("return document.querySelectorAll('#entries [data-row]').length")

    def message(self):
        return self.script("const m = document.getElementById('message'); return m.hidden ? '' : m.textContent")


def export_all(zpk, container, options, folder):
    """zpk export --all of one container: {row: PNG path} of the rows it wrote."""
    subprocess.run([zpk, "export", container, "--all", "-q", "--force", "-o", folder, *options],
                   capture_output=True, check=False)
    stem = os.path.splitext(os.path.basename(container))[0]
    written = {}
    for root, _, names in os.walk(folder):
        for name in names:
            if name.endswith(".png") and os.path.basename(root) in (stem, stem + ".d"):
                written[int(name[:3])] = os.path.join(root, name)
    return written


def compare_every_row(page, zpk, containers, scratch):
    for container in containers:
        name = os.path.basename(container)
        page.open(container)
        refused = bool(page.message())
        listed = subprocess.run([zpk, "list", container], capture_output=True, check=False)
        check(refused == (listed.returncode != 0), f"{name}: refused by the page exactly when zpk refuses it")
        if refused:
            continue
        for label, settings, options in OPTION_SETS:
            page.set_options(settings)
            folder = os.path.join(scratch, "all", name, label)
            expected = export_all(zpk, container, options + ["--rgba"], folder)
            for row, (size, pixels) in enumerate(page.draw_rows(range(page.rows()))):
                if row not in expected:
                    check(size == (0, 0), f"{name} row {row} ({label}): no picture, as zpk has none; got {size}")
                    continue
                want_size, want = digest_of(expected[row])
                check(size == want_size and pixels == want,
                      f"{name} row {row} ({label}): canvas {size} is not zpk's {want_size} picture")
        print(f"{name}: {page.rows()} rows x {len(OPTION_SETS)} option sets", flush=True)


def check_refusals(page, demo, scratch):
    page.set_options({})
    page.open(demo)
    kept = page.draw_row(3)
    rows = page.rows()
    damaged = os.path.join(scratch, "damaged.zpk")
    with open(damaged, "wb") as f:
        f.write(bytes(20))  # ends before the count byte at offset 28
    page.open(damaged)
    check(page.message().startswith("올바른 zpk 파일이 아닙니다.\ndamaged.zpk\n"),
          f"a damaged file gets the viewer's Korean message: {page.message()!r}")
    page.find("#language").click()
    check(page.message().startswith("Not a valid zpk file.\ndamaged.zpk\n"),
          f"the switch words the message in English: {page.message()!r}")
    page.find("#language").click()
    check(page.rows() == rows and page.script("return document.getElementById('picture').dataset.row") == "3",
          "the list and the picture of the file before stay")
    check(page.draw_row(3) == kept, "the file before still draws the same picture")

    huge = os.path.join(scratch, "huge.zpk")
    with open(huge, "wb") as f:
        f.truncate(1024 ** 3 + 1)  # sparse: nothing is written
    page.open(huge)
    check(page.message().startswith("파일이 너무 큽니다.\nhuge.zpk"), f"over 1 GiB is refused: {page.message()!r}")
    check(page.rows() == rows, "the file before stays after a refused large file")


def check_files(page, zpk, demo, downloads, scratch):
    """Ctrl+S and Ctrl+E: the PNG and the ZIP, against zpk export."""
    page.set_options({"dropFirst": True})
    page.open(demo)
    page.draw_row(2)
    page.find("#entries").send_keys(Keys.CONTROL, "s")
    png = wait_for(lambda: os.path.exists(os.path.join(downloads, "demo-2.png")) and
                   os.path.join(downloads, "demo-2.png"), "demo-2.png to download")
    reference = os.path.join(scratch, "demo-2.png")
    subprocess.run([zpk, "export", demo, "--entry", "2", "--drop-first", "-q", "-o", reference], check=True)
    with Image.open(png) as ours, Image.open(reference) as theirs:
        check(ours.mode == theirs.mode, f"the saved PNG's form {ours.mode} is zpk's {theirs.mode}")
    check(rgba_of(png) == rgba_of(reference), "the saved PNG has zpk's pixels")

    page.find("#entries").send_keys(Keys.CONTROL, "e")
    archive = os.path.join(downloads, "demo.zip")
    wait_for(lambda: os.path.exists(archive) and zipfile.is_zipfile(archive), "demo.zip to download")
    expected = export_all(zpk, demo, ["--drop-first"], os.path.join(scratch, "zip"))
    with zipfile.ZipFile(archive) as z:
        check(z.testzip() is None, "the ZIP's checksums hold")
        names = sorted(z.namelist())
        check(names == [f"demo/{row:03d}.png" for row in sorted(expected)], f"the ZIP holds zpk's names: {names}")
        for row, path in expected.items():
            ours = z.read(f"demo/{row:03d}.png")
            check(rgba_of(io.BytesIO(ours)) == rgba_of(path), f"ZIP row {row} has zpk's pixels")


def check_gallery(page):
    page.find("#entries").send_keys(Keys.CONTROL, "g")
    rows = page.rows()
    drawn = wait_for(lambda: page.script(
        "const c = [...document.querySelectorAll('#gallery canvas')];"
        "return c.length === arguments[0] && c.every((x) => x.width > 0) && c.length;", rows), "the gallery")
    check(drawn == rows, "the gallery has a picture of every entry")
    page.find("#gallery figure[data-row='5']").click()
    check(page.script("return document.getElementById('picture').dataset.row") == "5",
          "a click in the gallery draws that entry")


def check_requests(page, origin):
    urls = []
    for entry in page.driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            urls.append(message["params"]["request"]["url"])
    outside = [u for u in urls if not u.startswith((origin + "/", "blob:", "data:"))]
    check(urls and not outside, f"every request stays on {origin}: {outside}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", required=True)
    parser.add_argument("--zpk", required=True)
    parser.add_argument("containers", nargs="+")
    args = parser.parse_args()
    if not (os.access(CHROMIUM, os.X_OK) and os.access(DRIVER, os.X_OK)):
        print("skipped: chromium or chromedriver missing (scripts/install-deps test)")
        return 77
    demo = next(c for c in args.containers if os.path.basename(c) == "demo.zpk")
    server = Server(args.site)
    with tempfile.TemporaryDirectory(prefix="zpk-web-") as scratch:
        downloads = os.path.join(scratch, "downloads")
        os.mkdir(downloads)
        page = Page(server.origin, downloads)
        try:
            compare_every_row(page, args.zpk, args.containers, scratch)
            check_refusals(page, demo, scratch)
            check_files(page, args.zpk, demo, downloads, scratch)
            check_gallery(page)
            check_requests(page, server.origin)
        finally:
            page.driver.quit()
            server.httpd.shutdown()
    print(f"{len(failures)} failures" if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
