#!/usr/bin/env python3
"""Kills headless capture bursts with SIGKILL at random moments, then checks
that nothing a user relies on was lost or damaged:

- every daily log loads (`kelvo table dump`), holds the five columns and
  only whole rows (a last row cut short is tolerated on disk: readers and the
  next capture leave it out);
- TreeViewLogs.txt is a valid outline that lists every day that has a log;
- every capture the command reported as saved (one stdout line per file, read
  up to the kill) has its image, byte for byte, and exactly one log row;
- no file under a final name in the destination differs from its source
  (no half-copied image), no copy's temporary file is left behind, and no
  name is logged twice.

Every --rounds-per-home rounds (5) start on a fresh home.

usage: capture_kill_test.py KELVO [--rounds N] [--rounds-per-home N] [--seed N] [--keep]
"""

import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

COLUMNS = ["ファイル名", "取得日時", "識別名", "取得元アドレス", "保存先フォルダ"]


def parse_quoted_log(data):
    """The lines of a quoted-form log as lists of values, and whether the
    last line was cut short (no line end outside quotes)."""
    lines, values, value = [], [], bytearray()
    in_quotes = False
    i = 0
    while i < len(data):
        c = data[i]
        if in_quotes:
            if c == 0x22 and i + 1 < len(data) and data[i + 1] == 0x22:
                value.append(0x22)
                i += 1
            elif c == 0x22:
                in_quotes = False
            else:
                value.append(c)
        elif c == 0x22:
            in_quotes = True
        elif c == ord(";"):
            values.append(bytes(value))
            value = bytearray()
        elif c == ord("\n"):
            values.append(bytes(value))
            lines.append(values)
            values, value = [], bytearray()
        elif c != ord("\r"):
            value.append(c)
        i += 1
    cut_short = bool(values or value or in_quotes)
    return lines, cut_short


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Run:
    def __init__(self, kelvo, folder, rng):
        self.kelvo = kelvo
        self.rng = rng
        self.folder = folder
        self.sources = os.path.join(folder, "sources") + "/"
        os.makedirs(self.sources)
        self.source_bytes = {}
        self.files = []
        for n in range(14):
            # Sizes up to a few MB, so that kills land inside copies too.
            size = rng.choice([20_000, 200_000, 1_500_000, 4_000_000])
            name = f"img_{n:02d}" + ("[1]" if n % 5 == 0 else "") + ".jpg"
            data = b"\xff\xd8\xff\xe0" + rng.randbytes(size)
            with open(self.sources + name, "wb") as f:
                f.write(data)
            self.files.append(self.sources + name)
            self.source_bytes[data] = name
        self.kills = 0
        self.torn_seen = 0
        self.burst_seconds = 0.3  # a whole burst, learnt from those that run out
        self.reported_total = 0
        self.rows_total = 0

    def start_home(self, index):
        """A fresh home and destination: the first burst of a home finds no
        day yet, which is when a kill can lose the day from the tree."""
        self.home = os.path.join(self.folder, f"home{index}") + "/"
        self.pictures = os.path.join(self.folder, f"pictures{index}") + "/"
        os.makedirs(self.home)
        os.makedirs(self.pictures)
        with open(self.home + "kelvo.ini", "wb") as ini:
            ini.write(f"[Form]\r\nDefSiki=壁紙\r\nDefFolder={self.pictures}\r\n".encode())
        self.reported = []  # saved paths the command printed

    def finish_home(self):
        rows = self.check_logs(dump=True)
        self.check_tree()
        self.check_images(rows)
        self.reported_total += len(self.reported)
        self.rows_total += len(rows)

    def burst(self):
        files = self.rng.sample(self.files, self.rng.randint(3, len(self.files)))
        out_path = os.path.join(self.folder, "out.txt")
        with open(out_path, "wb") as out:
            process = subprocess.Popen(
                [self.kelvo, "--home", self.home, "capture", "--on-clash", "auto", *files],
                stdout=out, stderr=subprocess.DEVNULL)
            # Kills anywhere within a burst's usual length, which follows the
            # machine's speed; one burst in five runs out.
            started = time.monotonic()
            delay = 60.0 if self.rng.random() < 0.2 else self.rng.uniform(0, self.burst_seconds)
            try:
                process.wait(timeout=delay)
                self.burst_seconds = 0.7 * self.burst_seconds + 0.3 * (time.monotonic() - started)
            except subprocess.TimeoutExpired:
                process.send_signal(signal.SIGKILL)
                process.wait()
                self.kills += 1
        with open(out_path, "rb") as out:
            lines = out.read().split(b"\n")
        # Only whole lines count: a line cut by the kill was not reported.
        for line in lines[:-1]:
            path, _, text = line.decode().partition("\t")
            if path.startswith(self.pictures):
                self.reported.append(path)

    def log_paths(self):
        found = []
        for folder, _, names in os.walk(self.home + "Logs"):
            found += [os.path.join(folder, n) for n in names if n.endswith(".txt")]
        return sorted(found)

    def check_logs(self, dump):
        rows = {}
        for log in self.log_paths():
            with open(log, "rb") as f:
                lines, cut_short = parse_quoted_log(f.read())
            self.torn_seen += cut_short
            check(lines and [v.decode() for v in lines[0]] == COLUMNS, f"{log}: header {lines[:1]}")
            for number, values in enumerate(lines[1:], start=2):
                check(len(values) == 5, f"{log} line {number}: {len(values)} values")
                key = (values[0].decode(), values[4].decode())
                check(key not in rows, f"{log} line {number}: {key} logged twice")
                rows[key] = values
            if dump:
                result = subprocess.run([self.kelvo, "table", "dump", log], capture_output=True)
                check(result.returncode == 0, f"kelvo table dump {log}: {result.stderr!r}")
        return rows

    def check_tree(self):
        path = self.home + "TreeViewLogs.txt"
        days = set()
        if os.path.exists(path):
            with open(path, "rb") as f:
                text = f.read().decode()  # must be UTF-8
            check(text == "" or text.endswith("\r\n"), "TreeViewLogs.txt: last line end missing")
            month = None
            for line in text.split("\r\n")[:-1]:
                if line.startswith("\t"):
                    check(month is not None and not line.startswith("\t\t"),
                          f"TreeViewLogs.txt: bad level: {line!r}")
                    days.add((month, line[1:]))
                else:
                    month = line
        for log in self.log_paths():
            month, day = os.path.basename(os.path.dirname(log)), os.path.basename(log)[:-4]
            check((month, day) in days, f"{month}/{day} has a log but is not in the tree")

    def check_images(self, rows):
        for name in os.listdir(self.pictures):
            # Copies go through unnamed files, which die with the process.
            check(not name.startswith("."), f"{name}: a copy's temporary file was left behind")
            with open(self.pictures + name, "rb") as f:
                check(f.read() in self.source_bytes, f"{name}: differs from every source")
        for path in self.reported:
            check(os.path.isfile(path), f"reported {path} is missing")
            name = os.path.basename(path)
            check((name, self.pictures) in rows, f"reported {name} has no log row")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kelvo")
    parser.add_argument("--rounds", type=int, default=100)
    parser.add_argument("--rounds-per-home", type=int, default=5)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    parser.add_argument("--keep", action="store_true", help="keep the folder afterwards")
    args = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="kelvo-fault-")
    print(f"seed {args.seed}, folder {folder}")
    run = Run(os.path.abspath(args.kelvo), folder, random.Random(args.seed))
    started = time.monotonic()
    try:
        for round_number in range(1, args.rounds + 1):
            if round_number % args.rounds_per_home == 1 or args.rounds_per_home == 1:
                if round_number > 1:
                    run.finish_home()
                run.start_home(round_number // args.rounds_per_home)
            run.burst()
            run.check_logs(dump=False)
            run.check_tree()
        run.finish_home()
    except Failure as failure:
        print(f"FAILED after round {round_number}: {failure}")
        print(f"(kept {folder}; repeat with --seed {args.seed})")
        return 1
    print(f"{args.rounds} bursts, {run.kills} killed, {run.reported_total} captures reported "
          f"and found with their rows, {run.rows_total} rows; {run.torn_seen} cut-short rows seen; "
          f"{time.monotonic() - started:.0f} s")
    if not args.keep:
        shutil.rmtree(folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
