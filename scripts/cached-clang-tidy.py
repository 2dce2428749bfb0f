#!/usr/bin/env python3
"""clang-tidy, remembering the sources it found clean: run-clang-tidy runs
this in its place (-clang-tidy-binary). A source whose text as clang reads
it (every header in, comments and so NOLINT kept), compiler options, checks
and clang-tidy version are those of a clean run before is clean again
without a run (a second against some five). Only clean runs are remembered:
what clang-tidy finds it always prints afresh. A clone made anywhere finds
the same memory, one empty file per clean run, in
${XDG_CACHE_HOME:-~/.cache}/kelvo-clang-tidy.

Any other call (no source of the compilation database) goes to clang-tidy
as it is.
"""
import hashlib
import json
import os
import pathlib
import shlex
import subprocess
import sys

TIDY = "clang-tidy"
# What a compile command writes besides the object, with the word after it.
OUTPUT_OPTIONS = {"-o", "-MF", "-MT", "-MQ"}
OUTPUT_FLAGS = {"-c", "-MD", "-MMD"}


def tidy(args):
    """clang-tidy's exit status, and whether it found nothing at all."""
    result = subprocess.run([TIDY] + args, capture_output=True)
    sys.stdout.buffer.write(result.stdout)
    sys.stderr.buffer.write(result.stderr)
    found = any(word in result.stdout + result.stderr for word in (b"warning:", b"error:"))
    return result.returncode, result.returncode == 0 and not found


def compile_command(build, source):
    """The compiler's arguments for source, or None."""
    with open(os.path.join(build, "compile_commands.json")) as database:
        for entry in json.load(database):
            path = os.path.join(entry["directory"], entry["file"])
            if os.path.realpath(path) == os.path.realpath(source):
                words = entry.get("arguments") or shlex.split(entry["command"])
                return entry["directory"], words[1:]
    return None


def config_root(source):
    """The folder of the .clang-tidy that applies to source, or None."""
    for folder in pathlib.Path(source).resolve().parents:
        if (folder / ".clang-tidy").is_file():
            return folder
    return None


def preprocessed(directory, words, source):
    """The source with all it includes, as clang reads it, comments kept."""
    options, skip = [], False
    for word in words:
        if skip:
            skip = False
        elif word in OUTPUT_OPTIONS:
            skip = True
        elif word not in OUTPUT_FLAGS and os.path.realpath(
                os.path.join(directory, word)) != os.path.realpath(source):
            options.append(word)
    result = subprocess.run(["clang++"] + options + ["-E", "-C", source, "-o", "-"],
                            cwd=directory, capture_output=True)
    return result.stdout if result.returncode == 0 else None


def clean_run_key(args, build, source):
    found = compile_command(build, source)
    root = config_root(source)
    if not found or not root:
        return None
    directory, words = found
    text = preprocessed(directory, words, source)
    if text is None:
        return None
    version = subprocess.run([TIDY, "--version"], capture_output=True).stdout
    place = str(root).encode()
    key = hashlib.sha256()
    for part in (version, (root / ".clang-tidy").read_bytes(), " ".join(args).encode(),
                 " ".join(words).encode(), text):
        # Paths count from the sources' root: any clone gives the same key.
        key.update(part.replace(place, b"<root>"))
        key.update(b"\0")
    return key.hexdigest()


def main(args):
    build = next((a[len("-p="):] for a in args if a.startswith("-p=")), None)
    source = args[-1] if args and os.path.isfile(args[-1]) else None
    key = clean_run_key(args, build, source) if build and source else None
    if key is None:
        return tidy(args)[0]
    memory = pathlib.Path(os.environ.get("XDG_CACHE_HOME") or pathlib.Path.home() / ".cache")
    marker = memory / "kelvo-clang-tidy" / key
    if marker.exists():
        return 0
    status, clean = tidy(args)
    if clean:
        marker.parent.mkdir(parents=True, exist_ok=True)
        marker.touch()
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
