#!/usr/bin/env python3
"""Saves images through the companion's own entries in a real browser under
Xvfb, with the browser host registered as a user registers it (kelvo
browser-hosts install): "Kelvo に保存" in the context menu of an image and of
a link to one, chosen by the keyboard, and the key on an image. Checks what
Kelvo kept: the bytes the server gave only to the page's cookie and referrer,
the chosen destination made current, a clash asked about in the window, the
rows naming the page; and that the page's own scripts save nothing and no
process of Kelvo's listens on a network port.

Exit status: 0 passed, 1 failed, 77 skipped (no browser on this machine).
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser_drop as drop  # noqa: E402
from browser_drop import Failure, log, wait_until  # noqa: E402

# Where menu.html places what is clicked, and a spot with nothing under it.
SUNRISE = (120, 100)
LINK = (100, 265)
MEADOW = (120, 460)
BLANK = (600, 300)
# From the right-click to the second destination of Kelvo's entry: Chromium
# puts the entry just above "Inspect", Firefox last.
KEYS = {"chromium": ["Up", "Up", "Right", "Down", "Return"],
        "firefox": ["Up", "Right", "Down", "Return"]}
CLASH_DIALOG = "保存先フォルダに同一ファイル名が存在"


class MenuRun:
    def __init__(self, args, tmp):
        self.args = args
        self.tmp = tmp
        self.home = os.path.join(tmp, "home") + "/"
        self.first = os.path.join(tmp, "first") + "/"
        self.second = os.path.join(tmp, "second") + "/"
        for folder in (self.home, self.first, self.second):
            os.makedirs(folder)
        self.server = drop.PageServer(guarding_page="menu.html")
        self.page = self.server.url("menu.html")
        self.session = drop.Session(tmp)
        self.env = dict(self.session.env, HOME=tmp, XDG_CONFIG_HOME=os.path.join(tmp, "config"),
                        MOZ_CRASHREPORTER_DISABLE="1")

    def write_home(self):
        settings = ["[Form]"] + ["%s=%d" % item for item in drop.KELVO.items()]
        settings += ["CBX2=0", "NORI=1", "DefSiki=初期フォルダ", "DefIndex=0",
                     "DefFolder=" + self.first, "", "[Browser]",
                     "DevToolsPort=%d" % drop.free_port(), "",
                     # The same bytes saved again go on to the clash dialog.
                     "[Collection]", "SameImage=1", ""]
        with open(self.home + "kelvo.ini", "w", encoding="utf-8") as ini:
            ini.write("\r\n".join(settings))
        with open(self.home + "ListView.txt", "w", encoding="utf-8") as listed:
            listed.write('"識別名";"保存先フォルダ"\r\n"初期フォルダ";"%s"\r\n"second";"%s"\r\n'
                         % (self.first, self.second))

    def register_host(self):
        result = subprocess.run([self.args.kelvo, "--home", self.home, "browser-hosts", "install"],
                                env=self.env, capture_output=True, text=True, timeout=30)
        if result.returncode != 0:
            raise Failure("browser-hosts install: " + result.stderr)

    def browser_command(self):
        if self.args.browser == "chromium":
            return drop.chromium_command(self.tmp, self.page, 0, self.args.extension_dir,
                                         profile=os.path.join(self.tmp, "config", "chromium"))
        return drop.firefox_command(self.tmp, self.page, self.args.xpi)

    def host_running(self):
        result = subprocess.run(["pgrep", "-f", "kelvo-browser-host --home " + self.home],
                                capture_output=True)
        return result.returncode == 0

    def at(self, place):
        origin = drop.page_origin(self.session, self.server, self.window)
        return origin[0] + place[0], origin[1] + place[1]

    def choose_second_destination(self, place):
        x, y = self.at(place)
        self.session.xdotool("mousemove", x, y)
        time.sleep(0.3)
        self.session.xdotool("click", 3)
        time.sleep(1.0)
        for key in KEYS[self.args.browser]:
            self.session.xdotool("key", key)
            time.sleep(0.2)

    def press_key_over(self, place):
        x, y = self.at(place)
        self.session.xdotool("mousemove", x, y)
        time.sleep(0.3)
        self.session.xdotool("windowfocus", "--sync", self.window)
        self.session.xdotool("key", "alt+shift+k")

    def expect_saved(self, path, original):
        served = drop.read_bytes(os.path.join(drop.PAGE, original))
        if not wait_until(lambda: os.path.exists(path) and drop.read_bytes(path) == served, 20):
            raise Failure("%s was not saved with the served bytes; %s holds %s; the server "
                          "was asked for %s and refused %s"
                          % (path, os.path.dirname(path), os.listdir(os.path.dirname(path)),
                             self.server.requested[-5:], self.server.refused))
        log("%s: saved byte for byte" % os.path.basename(path))

    def expect_current(self, name):
        """The destination is current in Kelvo's settings, and so on the menu."""
        def written():
            with open(self.home + "kelvo.ini", encoding="utf-8", newline="") as ini:
                return "DefSiki=%s\r\n" % name in ini.read()
        if not wait_until(written, 10):
            raise Failure("%s was not made current" % name)
        time.sleep(1)  # the host tells the extension

    def expect_nothing_new(self, seconds=3):
        before = sorted(os.listdir(self.first) + os.listdir(self.second))
        time.sleep(seconds)
        after = sorted(os.listdir(self.first) + os.listdir(self.second))
        if after != before:
            raise Failure("something was saved: %s" % sorted(set(after) - set(before)))

    def check_no_listening_socket(self):
        result = subprocess.run(["ss", "-ltnupH"], capture_output=True, text=True, timeout=10)
        kelvo = [line for line in result.stdout.splitlines() if "kelvo" in line]
        if result.returncode != 0 or kelvo:
            raise Failure("a process of Kelvo's listens on the network: %s" % (kelvo or result))
        log("no listening socket of Kelvo's")

    def check_rows(self, names):
        logs = [os.path.join(folder, name) for folder, _, files in
                os.walk(os.path.join(self.home, "Logs")) for name in files]
        rows = [row for path in logs for row in drop.dump_table(self.args.kelvo, path)]
        logged = sorted(row["ファイル名"] for row in rows)
        if logged != sorted(names):
            raise Failure("the rows name %s, not %s" % (logged, sorted(names)))
        for row in rows:
            if row["取得元アドレス"] != self.page:
                raise Failure("%s: 取得元アドレス %r" % (row["ファイル名"], row["取得元アドレス"]))
        log("every row names the page")

    def start(self, with_window):
        self.write_home()
        self.register_host()
        self.session.start_xvfb()
        self.env["DISPLAY"] = self.session.env["DISPLAY"]
        if with_window:
            self.session.start([self.args.kelvo, "--home", self.home], "kelvo",
                               dict(self.env, QT_QPA_PLATFORM="xcb"))
            self.kelvo_window = self.session.wait_for_window("^ケルボ v", "Kelvo", by="--name")
        self.window = drop.open_page(self.session, self.command, self.args.browser, self.env,
                                     lambda: "/guarded/sunrise.jpg" in self.server.requested)
        # The menu lists the destinations once the host has told them.
        if not wait_until(self.host_running, 30):
            raise Failure("the browser did not start Kelvo's host")
        time.sleep(1.5)

    def with_window(self):
        self.start(with_window=True)
        self.choose_second_destination(SUNRISE)
        self.expect_saved(self.second + "sunrise.jpg", "sunrise.jpg")
        self.expect_current("second")
        self.choose_second_destination(LINK)
        self.expect_saved(self.second + "harbour.png", "harbour.png")
        # Made current by the menu: the key saves there.
        self.press_key_over(MEADOW)
        self.expect_saved(self.second + "meadow.gif", "meadow.gif")
        # The page's scripts claim the pointer is on the meadow: not believed.
        self.press_key_over(BLANK)
        self.expect_nothing_new()
        # A taken name is the window's to ask about.
        self.choose_second_destination(SUNRISE)
        dialog = self.session.wait_for_window("^%s$" % CLASH_DIALOG, "the clash dialog",
                                              by="--name")
        self.session.xdotool("windowfocus", "--sync", dialog)
        self.session.xdotool("key", "Escape")
        self.expect_nothing_new(2)
        self.check_no_listening_socket()
        self.check_rows(["sunrise.jpg", "harbour.png", "meadow.gif"])

    def without_window(self):
        self.start(with_window=False)
        self.choose_second_destination(SUNRISE)
        self.expect_saved(self.second + "sunrise.jpg", "sunrise.jpg")
        # No one would see a question: numbered.
        self.choose_second_destination(SUNRISE)
        self.expect_saved(self.second + "sunrise[1].jpg", "sunrise.jpg")
        self.expect_current("second")
        self.check_no_listening_socket()
        self.check_rows(["sunrise.jpg", "sunrise[1].jpg"])


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--kelvo", required=True)
    parser.add_argument("--browser", choices=["chromium", "firefox"], required=True)
    parser.add_argument("--no-window", action="store_true", help="with no Kelvo window running")
    parser.add_argument("--extension-dir", required=True, help="the unpacked extension")
    parser.add_argument("--xpi", required=True, help="the packed extension")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool", "ss", "pgrep"):
        if not shutil.which(tool):
            log("FAIL: %s is missing; ./test.sh installs it" % tool)
            return 1
    tmp = tempfile.mkdtemp(prefix="kelvo-menu-")
    run = MenuRun(args, tmp)
    try:
        run.command = run.browser_command()
        if not run.command:
            log("SKIP: %s is not installed and could not be installed" % args.browser)
            return drop.SKIP
        if args.no_window:
            run.without_window()
        else:
            run.with_window()
        log("PASS")
        return 0
    except Failure as failure:
        return drop.failed(failure, tmp, ("kelvo", args.browser))
    finally:
        run.session.end()
        run.server.stop()
        drop.leave(tmp, args.keep)


if __name__ == "__main__":
    sys.exit(main())
