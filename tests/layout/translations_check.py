#!/usr/bin/env python3
"""The English catalogue translations/kelvo_en.ts is complete and current.

lupdate reads the sources into a copy of it; the test fails on any text that
is new or untranslated there, any the sources no longer have, a translation
that drops or adds a place marker (%1, %n ...), and anything lupdate warns of.
Prints each one found; `ninja kelvo_lupdate` brings the catalogue up to date.

    translations_check.py LUPDATE ROOT [LUPDATE_OPTION...]
"""

import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

MARKER = re.compile(r"%(?:\d+|n)")


def translated_forms(message):
    translation = message.find("translation")
    forms = translation.findall("numerusform")
    return [form.text or "" for form in forms] if forms else [translation.text or ""]


def problems(catalogue):
    for context in ET.parse(catalogue).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            kind = message.find("translation").get("type")
            where = f"{name}: {source!r}"
            if kind in ("vanished", "obsolete"):
                yield f"{where}: no longer in the sources"
            elif kind == "unfinished":
                yield f"{where}: not translated"
            else:
                for form in translated_forms(message):
                    if not form:
                        yield f"{where}: an empty translation"
                    elif sorted(MARKER.findall(form)) != sorted(MARKER.findall(source)):
                        yield f"{where}: {form!r} has other place markers"


def main():
    lupdate, root, *options = sys.argv[1:]
    catalogue = Path(root) / "translations" / "kelvo_en.ts"
    with tempfile.TemporaryDirectory() as work:
        copy = Path(work) / catalogue.name
        shutil.copyfile(catalogue, copy)
        run = subprocess.run([lupdate, *options, str(Path(root) / "src"), "-ts", str(copy)],
                             capture_output=True, text=True)
        found = [line for line in run.stderr.splitlines() if line.strip()]
        if run.returncode != 0:
            found.append(f"lupdate ended with {run.returncode}")
        found += problems(copy)
    for problem in found:
        print(problem)
    if found:
        print(f"{len(found)} problems; refresh with: ninja -C BUILD kelvo_lupdate")
        return 1
    print(f"{catalogue.name}: every text translated")
    return 0


if __name__ == "__main__":
    sys.exit(main())
