#!/usr/bin/env python3
"""From the menu command to the log row, for a 5 MB JPEG: the companion's
path (the image fetched, as the browser fetches it, then base64 in one native
message to kelvo-browser-host, which captures it with no window running and
answers once its row is written) against the same bytes fetched by curl and
written to the destination. Runs alternate; medians of each.

Usage: browser_save_bench.py HOST_BINARY MAKE_JPEG CHROMIUM_ID [RUNS]
"""
import base64
import http.server
import json
import os
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request


def serve(folder):
    class Handler(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=folder, **kwargs)

        def log_message(self, *args):
            pass

    httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=httpd.serve_forever, daemon=True).start()
    return httpd


def through_host(host, origin, home, url, run):
    start = time.perf_counter()
    with urllib.request.urlopen(url) as response:
        data = response.read()
    message = json.dumps({"request": "save", "destination": "", "page": url,
                          "image": url, "name": "menu%d.jpg" % run,
                          "bytes": base64.b64encode(data).decode()}).encode()
    handed = time.perf_counter()
    done = subprocess.run([host, "--home", home, origin],
                          input=struct.pack("=I", len(message)) + message,
                          capture_output=True, check=True)
    answer = json.loads(done.stdout[4:])
    end = time.perf_counter()
    if answer.get("outcome") != "saved":
        sys.exit("the host did not save: %s" % answer)
    return end - start, end - handed


def through_curl(url, folder, run):
    start = time.perf_counter()
    subprocess.run(["curl", "-s", "-o", os.path.join(folder, "curl%d.jpg" % run), url],
                   check=True)
    return time.perf_counter() - start


def main():
    host, make_jpeg, chromium_id = sys.argv[1:4]
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 9
    with tempfile.TemporaryDirectory() as work:
        served, home, pictures = (os.path.join(work, name) for name in
                                  ("served", "home", "pictures"))
        for folder in (served, home, pictures):
            os.makedirs(folder)
        with open(os.path.join(home, "kelvo.ini"), "w") as ini:
            ini.write("[Form]\r\nDefFolder=%s/\r\n" % pictures)
        subprocess.run([make_jpeg, "4000", "3000", os.path.join(served, "big.jpg")], check=True)
        size = os.path.getsize(os.path.join(served, "big.jpg"))
        httpd = serve(served)
        url = "http://127.0.0.1:%d/big.jpg" % httpd.server_address[1]
        origin = "chrome-extension://%s/" % chromium_id
        menu, kelvo, curl = [], [], []
        for run in range(runs):
            whole, host_part = through_host(host, origin, home + "/", url, run)
            menu.append(whole)
            kelvo.append(host_part)
            curl.append(through_curl(url, pictures, run))
        httpd.shutdown()
    m, c = statistics.median(menu), statistics.median(curl)
    print("image: %.1f MB" % (size / 1e6))
    print("menu to log row: %.1f ms (median of %d), of which Kelvo's host %.1f ms"
          % (m * 1e3, runs, statistics.median(kelvo) * 1e3))
    print("curl to the destination: %.1f ms" % (c * 1e3))
    print("menu/curl: %.2fx the time (target: at most 1.5x, and under 1 s)" % (m / c))


if __name__ == "__main__":
    main()
