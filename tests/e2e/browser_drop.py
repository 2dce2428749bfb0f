#!/usr/bin/env python3
"""Drags the images of a local page out of a real browser onto the real Kelvo
window under Xvfb, then checks what Kelvo kept: the original bytes, a log row
per image naming where it came from, and the day in the history tree.

Exit status: 0 passed, 1 failed, 77 skipped (no browser on this machine).
"""
import argparse
import ctypes
import http.server
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

import process_tree

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
PAGE = os.path.join(HERE, "page")
# Each image's centre on the page, as index.html places it.
IMAGES = {"sunrise.jpg": (120, 100), "harbour.png": (120, 280), "meadow.gif": (120, 460)}
# One image where frame.html (inside its frame) and forged.html place it.
ONE_IMAGE = {"sunrise.jpg": (120, 100)}
# linked.html: an image inside a link, and the source a <picture> chooses.
LINKED_IMAGES = {"harbour.png": (120, 100), "meadow.gif": (120, 280)}
HINT = "拡張機能を入れてください"


class Case:
    """A browser, a page, what is loaded into the browser, and where the log
    rows must say the images came from: "page", "frame" (the cross-origin
    frame's own page) or "image"."""

    def __init__(self, browser, page="index.html", images=IMAGES, extension=False,
                 debugging_port=False, source="image", hint=False):
        self.browser = browser
        self.page = page
        self.images = images
        self.extension = extension
        self.debugging_port = debugging_port
        self.source = source
        self.hint = hint


CASES = {
    # The DevTools link, without the extension.
    "chromium": Case("chromium", debugging_port=True, source="page"),
    # Nothing tells the page: the image's own address, and a hint once.
    "chromium-no-port": Case("chromium", hint=True),
    "firefox": Case("firefox", hint=True),
    # The extension's note, with no debugging port.
    "chromium-extension": Case("chromium", extension=True, source="page"),
    "firefox-extension": Case("firefox", extension=True, source="page"),
    # An image in a frame served from localhost, in a page from 127.0.0.1.
    # Firefox's note names the top-level page; Chromium vouches only for the
    # frame's origin, so its frame is the best address that can be believed.
    "chromium-frame": Case("chromium", "frame.html", ONE_IMAGE, extension=True, source="frame"),
    "firefox-frame": Case("firefox", "frame.html", ONE_IMAGE, extension=True, source="page"),
    # The picture is named and saved, not the link around it nor the
    # fallback source.
    "chromium-linked": Case("chromium", "linked.html", LINKED_IMAGES, extension=True,
                            source="page"),
    "firefox-linked": Case("firefox", "linked.html", LINKED_IMAGES, extension=True,
                           source="page"),
    # Without the note, the address whose name says what the bytes are.
    "chromium-linked-no-extension": Case("chromium", "linked.html", LINKED_IMAGES, hint=True),
    # The page writes a false note over the extension's: not believed.
    "chromium-forged": Case("chromium", "forged.html", ONE_IMAGE, extension=True),
}
# Beside the browser window, never over it.
KELVO = {"Left": 900, "Top": 80, "Width": 320, "Height": 420}
BROWSER_SIZE = (820, 740)


class Failure(Exception):
    pass


def log(text):
    print(text, flush=True)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class PageServer:
    """Serves the test page on 127.0.0.1 and notes what the browser asks for,
    including the page's screen origin that the page itself reports. With a
    guarding page, its responses set a cookie, and what lies under /guarded/
    is served only with that cookie and the page's address as Referer, as a
    site that keeps its images to its own pages does."""

    COOKIE = "kelvo-e2e=1"

    def __init__(self, guarding_page=None):
        self.requested = []
        self.refused = []
        self.origin = None
        self.guarding_page = guarding_page
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=PAGE, **kwargs)

            def do_GET(self):
                server.requested.append(self.path)
                if self.path.startswith("/origin?at="):
                    x, y = self.path.split("=", 1)[1].split(",")
                    server.origin = (int(float(x)), int(float(y)))
                    self.send_response(204)
                    self.end_headers()
                    return
                if server.guarding_page and self.path.startswith("/guarded/"):
                    if (server.COOKIE not in (self.headers.get("Cookie") or "") or
                            self.headers.get("Referer") != server.url(server.guarding_page)):
                        server.refused.append(self.path)
                        self.send_error(403)
                        return
                    self.path = self.path[len("/guarded"):]
                super().do_GET()

            def end_headers(self):
                self.send_header("Cache-Control", "no-store")
                if server.guarding_page and self.path.endswith(".html"):
                    self.send_header("Set-Cookie", server.COOKIE + "; Path=/")
                super().end_headers()

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def url(self, path, host="127.0.0.1"):
        return "http://%s:%d/%s" % (host, self.port, path)

    def stop(self):
        self.httpd.shutdown()


class Session:
    """Xvfb, Kelvo and a browser, and every process they start, ended together
    by end(): when the test passes, fails, or is stopped by a signal; and by
    the kernel when this process is killed outright."""

    def __init__(self, tmp):
        self.tmp = tmp
        self.processes = []
        self.env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "GDK_BACKEND"):
            self.env.pop(name, None)
        self.signals = process_tree.EndingSignals()
        process_tree.keep_orphans()

    def start(self, args, name, env=None, pass_fds=()):
        out = open(os.path.join(self.tmp, name + ".log"), "wb")
        process = subprocess.Popen(process_tree.killed_with_parent(args), stdout=out,
                                   stderr=subprocess.STDOUT, env=env or self.env,
                                   start_new_session=True, pass_fds=pass_fds)
        self.processes.append(process)
        return process

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                    "-nolisten", "tcp"], "xvfb", pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            display = pipe.readline().strip()
        if not display:
            raise Failure("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display

    def xdotool(self, *args, timeout=20):
        result = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env,
                                capture_output=True, text=True, timeout=timeout)
        return result.stdout.strip()

    def wait_for_window(self, pattern, what, by="--class"):
        try:
            found = self.xdotool("search", "--sync", "--onlyvisible", by, pattern, timeout=45)
        except subprocess.TimeoutExpired:
            found = ""
        if not found:
            raise Failure("no window of " + what)
        return found.split()[-1]

    def end(self):
        with self.signals.held_off():
            process_tree.end_all(self.processes)


def close_window(display, window):
    """Asks a window to close as a window manager would (WM_DELETE_WINDOW)."""

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.encode())
    if not connection:
        raise Failure("cannot open the display to close Kelvo")
    event = Event()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = int(window)
    event.xclient.message_type = x11.XInternAtom(connection, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(connection, int(window), 0, 0, ctypes.byref(event))
    x11.XFlush(connection)
    x11.XCloseDisplay(connection)


def chromium_command(tmp, url, debugging_port, extension_dir=None, profile=None):
    binary = shutil.which("chromium") or shutil.which("chromium-browser")
    if not binary:
        return None
    command = [binary, "--user-data-dir=" + (profile or os.path.join(tmp, "chromium-profile")),
               "--no-first-run", "--no-default-browser-check", "--password-store=basic",
               "--disable-gpu", "--disable-background-networking", "--disable-component-update",
               "--disable-sync", "--disable-features=Translate,MediaRouter",
               "--ozone-platform=x11", "--window-position=0,0",
               "--window-size=%d,%d" % BROWSER_SIZE]
    if os.geteuid() == 0:
        command += ["--no-sandbox", "--test-type"]
    if debugging_port:
        command.append("--remote-debugging-port=%d" % debugging_port)
    if extension_dir:
        command += ["--load-extension=" + extension_dir,
                    "--disable-features=DisableLoadExtensionCommandLineSwitch"]
    return command + [url]


FIREFOX_PREFS = """
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.aboutwelcome.enabled", false);
user_pref("startup.homepage_welcome_url", "");
user_pref("trailhead.firstrun.didSeeAboutWelcome", true);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("datareporting.healthreport.uploadEnabled", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.auto", false);
user_pref("app.normandy.enabled", false);
user_pref("browser.tabs.warnOnClose", false);
user_pref("sidebar.revamp", false);
user_pref("widget.gtk.overlay-scrollbars.enabled", false);
"""


# An unsigned add-on in the profile's own folder, enabled without a question.
FIREFOX_EXTENSION_PREFS = """
user_pref("xpinstall.signatures.required", false);
user_pref("extensions.autoDisableScopes", 0);
"""
FIREFOX_EXTENSION_ID = "companion@kelvo"


def firefox_command(tmp, url, xpi=None):
    binary = shutil.which("firefox-esr") or shutil.which("firefox")
    if not binary:
        return None
    profile = os.path.join(tmp, "firefox-profile")
    os.makedirs(profile)
    with open(os.path.join(profile, "user.js"), "w") as prefs:
        prefs.write(FIREFOX_PREFS)
        if xpi:
            prefs.write(FIREFOX_EXTENSION_PREFS)
    if xpi:
        os.makedirs(os.path.join(profile, "extensions"))
        shutil.copy(xpi, os.path.join(profile, "extensions", FIREFOX_EXTENSION_ID + ".xpi"))
    return [binary, "--new-instance", "--no-remote", "--profile", profile,
            "--width", str(BROWSER_SIZE[0]), "--height", str(BROWSER_SIZE[1]), url]


def write_settings(home, devtools_port):
    lines = ["[Form]"] + ["%s=%d" % item for item in KELVO.items()] + ["CBX2=0", ""]
    lines += ["[Browser]", "DevToolsPort=%d" % devtools_port, ""]
    with open(os.path.join(home, "kelvo.ini"), "w") as ini:
        ini.write("\r\n".join(lines))


def wait_until(condition, seconds, step=0.1):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if condition():
            return True
        time.sleep(step)
    return condition()


def open_page(session, command, browser, env, loaded):
    """Starts the browser and waits until loaded() tells that it asked for the
    page; a browser that hangs at its very first start, before any request
    (seen in Chromium about once in twenty starts, more often on a loaded
    machine), is started anew, twice at most. Gives the browser's window."""
    for attempt in (1, 2, 3):
        process = session.start(command, browser, env)
        window = session.wait_for_window(
            "chromium" if browser == "chromium" else "firefox", browser)
        if wait_until(loaded, 40):
            return window
        log("%s loaded nothing in 40 s (attempt %d)" % (browser, attempt))
        os.killpg(process.pid, 15)
        process.wait(10)
    raise Failure("%s did not load the page" % browser)


def page_origin(session, server, browser_window):
    """Where the page's top left lies on the screen: the page reports it when
    the pointer moves over it."""
    geometry = session.xdotool("getwindowgeometry", "--shell", browser_window)
    values = dict(line.split("=") for line in geometry.splitlines() if "=" in line)
    x = int(values["X"]) + int(values["WIDTH"]) * 2 // 3
    y = int(values["Y"]) + int(values["HEIGHT"]) // 2
    server.origin = None
    for step in range(40):
        session.xdotool("mousemove", x + step % 7, y + step % 5)
        if wait_until(lambda: server.origin is not None, 0.25, 0.05):
            return server.origin
    raise Failure("the page never told its place on the screen")


def drag(session, start, end):
    """A slow drag with several small steps, as a hand would make it."""
    sx, sy = start
    ex, ey = end
    session.xdotool("mousemove", sx, sy)
    time.sleep(0.3)
    session.xdotool("mousedown", 1)
    time.sleep(0.2)
    for step in range(1, 7):
        session.xdotool("mousemove", sx + 3 * step, sy + 2 * step)
        time.sleep(0.06)
    for step in range(1, 13):
        session.xdotool("mousemove", sx + (ex - sx) * step // 12, sy + (ey - sy) * step // 12)
        time.sleep(0.06)
    for offset in (2, 4, 6):
        time.sleep(0.25)
        session.xdotool("mousemove", ex + offset, ey + offset)
    time.sleep(0.4)
    session.xdotool("mouseup", 1)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def dump_table(kelvo, path):
    result = subprocess.run([kelvo, "table", "dump", path], capture_output=True, text=True,
                            timeout=30)
    if result.returncode != 0:
        raise Failure("kelvo table dump %s failed: %s" % (path, result.stderr))
    lines = result.stdout.splitlines()
    header = lines[0].split("\t")
    return [dict(zip(header, line.split("\t"))) for line in lines[1:]]


def drop_each_image(session, server, browser_window, home, images):
    drop_at = (KELVO["Left"] + KELVO["Width"] // 2, KELVO["Top"] + KELVO["Height"] // 2)
    for name, (x, y) in images.items():
        served = read_bytes(os.path.join(PAGE, name))
        saved = os.path.join(home, name)
        for attempt in (1, 2):
            origin = page_origin(session, server, browser_window)
            drag(session, (origin[0] + x, origin[1] + y), drop_at)
            if wait_until(lambda: os.path.exists(saved) and
                          os.path.getsize(saved) >= len(served), 15):
                break
            log("%s: nothing arrived after attempt %d" % (name, attempt))
        else:
            raise Failure("%s never arrived; home holds %s" % (name, os.listdir(home)))
        if read_bytes(saved) != served:
            raise Failure("%s: the saved bytes differ from the served ones (%d, %d bytes)"
                          % (name, os.path.getsize(saved), len(served)))
        log("%s: saved byte for byte" % name)


def check_log_and_tree(kelvo, home, images, expected_address):
    logs = [os.path.join(root, f) for root, _, files in os.walk(os.path.join(home, "Logs"))
            for f in files]
    if len(logs) != 1:
        raise Failure("expected one daily log, found %s" % logs)
    rows = dump_table(kelvo, logs[0])
    names = [row.get("ファイル名") for row in rows]
    if names != list(images):
        raise Failure("log rows %s, expected %s" % (names, list(images)))
    for row in rows:
        expected = expected_address(row["ファイル名"])
        if row.get("取得元アドレス") != expected:
            raise Failure("%s: 取得元アドレス %r, expected %r"
                          % (row["ファイル名"], row.get("取得元アドレス"), expected))
    log("log rows name %s" % ", ".join(sorted({r["取得元アドレス"] for r in rows})))

    day = os.path.splitext(os.path.basename(logs[0]))[0]
    month = os.path.basename(os.path.dirname(logs[0]))
    with open(os.path.join(home, "TreeViewLogs.txt"), encoding="utf-8") as tree:
        outline = tree.read().splitlines()
    if month not in outline or "\t" + day not in outline:
        raise Failure("the history tree lacks %s/%s: %s" % (month, day, outline))
    log("history tree has %s %s" % (month, day))


def browser_command(args, case, tmp, url, debugging_port):
    if case.browser == "chromium":
        return chromium_command(tmp, url, debugging_port,
                                args.extension_dir if case.extension else None)
    return firefox_command(tmp, url, args.xpi if case.extension else None)


def expected_address(case, server, page_url):
    """What a row must name for each image of the case."""
    if case.source == "page":
        return lambda name: page_url
    if case.source == "frame":
        return lambda name: server.url("framed.html", "localhost")
    host = "localhost" if case.page == "frame.html" else "127.0.0.1"
    return lambda name: server.url(name, host)


def check_hint(tmp, case):
    """Kelvo's window says once how to get page addresses, when nothing told it."""
    with open(os.path.join(tmp, "kelvo.log"), encoding="utf-8", errors="replace") as output:
        shown = output.read().count(HINT)
    if shown != (1 if case.hint else 0):
        raise Failure("the hint on page addresses was shown %d times" % shown)
    log("hint shown %d time(s)" % shown)


def run(args, case, tmp):
    home = os.path.join(tmp, "home") + "/"
    os.makedirs(home)
    server = PageServer()
    page_url = server.url(case.page)
    debugging_port = free_port() if case.debugging_port else 0
    # Where no browser listens, Kelvo's question is refused at once.
    write_settings(home, debugging_port or free_port())
    browser = browser_command(args, case, tmp, page_url, debugging_port)
    if not browser:
        server.stop()
        log("SKIP: %s is not installed and could not be installed" % case.browser)
        return SKIP

    session = Session(tmp)
    try:
        session.start_xvfb()
        kelvo_env = dict(session.env, QT_QPA_PLATFORM="xcb",
                         QT_LOGGING_RULES="kelvo.status.info=true")
        kelvo = session.start([args.kelvo, "--home", home], "kelvo", kelvo_env)
        # By its caption: a notice of Kelvo's own may be up beside it.
        kelvo_window = session.wait_for_window("^ケルボ v", "Kelvo", by="--name")
        browser_env = dict(session.env, MOZ_CRASHREPORTER_DISABLE="1", HOME=tmp)
        browser_window = open_page(
            session, browser, case.browser, browser_env,
            lambda: all("/" + name in server.requested for name in case.images))
        drop_each_image(session, server, browser_window, home, case.images)
        # The history tree reaches its file when the window closes.
        close_window(session.env["DISPLAY"], kelvo_window)
        try:
            kelvo.wait(20)
        except subprocess.TimeoutExpired:
            raise Failure("Kelvo did not close")
    finally:
        session.end()
        server.stop()

    check_log_and_tree(args.kelvo, home, case.images, expected_address(case, server, page_url))
    check_hint(tmp, case)
    return 0


def failed(failure, tmp, programs):
    """Says what failed, with the end of each program's log; exit status 1."""
    log("FAIL: %s" % failure)
    for name in programs:
        path = os.path.join(tmp, name + ".log")
        if os.path.exists(path):
            log("--- %s.log (end) ---" % name)
            log(read_bytes(path)[-3000:].decode(errors="replace"))
    return 1


def leave(tmp, keep):
    if keep:
        log("kept " + tmp)
    else:
        shutil.rmtree(tmp, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--kelvo", required=True)
    parser.add_argument("--case", choices=sorted(CASES), required=True)
    parser.add_argument("--extension-dir", help="the unpacked extension, for Chromium")
    parser.add_argument("--xpi", help="the packed extension, for Firefox")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    args = parser.parse_args()
    case = CASES[args.case]
    if case.extension and not (args.extension_dir if case.browser == "chromium" else args.xpi):
        log("FAIL: case %s needs the built extension (--extension-dir, --xpi)" % args.case)
        return 1
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            log("FAIL: %s is missing; ./test.sh installs it" % tool)
            return 1
    tmp = tempfile.mkdtemp(prefix="kelvo-e2e-")
    try:
        return run(args, case, tmp)
    except Failure as failure:
        return failed(failure, tmp, ("kelvo", case.browser))
    finally:
        leave(tmp, args.keep)


if __name__ == "__main__":
    sys.exit(main())
