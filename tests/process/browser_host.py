#!/usr/bin/env python3
"""The browser host as the browsers start it: it answers the companion's own
id in the browsers' framing, and nobody else, not even with a whole request.

Usage: browser_host.py HOST_BINARY CHROMIUM_ID FIREFOX_ID
"""
import json
import os
import struct
import subprocess
import sys
import tempfile


def talk(command, requests):
    framed = b"".join(struct.pack("=I", len(r)) + r
                      for r in (json.dumps(request).encode() for request in requests))
    done = subprocess.run(command, input=framed, capture_output=True, timeout=30)
    answers, out = [], done.stdout
    while out:
        length = struct.unpack("=I", out[:4])[0]
        answers.append(json.loads(out[4:4 + length]))
        out = out[4 + length:]
    return done.returncode, answers


def main():
    host, chromium_id, firefox_id = sys.argv[1:4]
    # Firefox names the host's manifest first.
    manifest = "/u/.mozilla/native-messaging-hosts/io.github.kelvo.kelvo.json"
    with tempfile.TemporaryDirectory() as home:
        home += "/"
        ask = [{"request": "destinations"}]
        for caller in (["chrome-extension://%s/" % chromium_id],
                       [manifest, firefox_id]):
            code, answers = talk([host, "--home", home] + caller, ask)
            if code != 0 or [d["name"] for d in answers[0]["destinations"]] != ["初期フォルダ"]:
                print("FAIL: %s was not answered: %d %s" % (caller, code, answers))
                return 1
        for stranger in (["chrome-extension://%s/" % ("a" * 32)],
                         [manifest, "other@addon"], []):
            code, answers = talk([host, "--home", home] + stranger,
                                 ask + [{"request": "save", "bytes": "AAAA"}])
            if code == 0 or answers:
                print("FAIL: %s was answered: %s" % (stranger, answers))
                return 1
        if os.listdir(home) not in ([], [".staging"]):
            print("FAIL: a refused caller left %s" % os.listdir(home))
            return 1
    print("PASS: the companion is answered, and no one else")
    return 0


if __name__ == "__main__":
    sys.exit(main())
