#!/usr/bin/env python3
"""Writes docs/performance.md from one run of scripts/bench.sh.

    performance_doc.py RESULTS_DIR ROOT > docs/performance.md

RESULTS_DIR holds what each benchmark printed, named by its section's key:
KEY.N.out for its N-th round, KEY.json for Google Benchmark's own output,
KEY.md for a table the benchmark printed in markdown itself, KEY.missing for
why it could not run, KEY.failed for how it failed; `commit` and `started`
say what was measured and when. Every figure comes from those files: a
section whose output cannot be read says so and shows the output as it was
printed, and the others are written all the same.
"""

import json
import os
import re
import statistics
import subprocess
import sys

NUMBER = re.compile(r"-?\d[\d,]*(?:\.\d+)?")


class Rounds:
    """One benchmark's figures over its rounds, by name."""

    def __init__(self, parsed):
        self.rounds = len(parsed)
        self.values = {}
        for figures in parsed:
            for name, value in figures.items():
                self.values.setdefault(name, []).append(value)

    def median(self, name):
        return statistics.median(self.values[name])

    def cell(self, name, unit="ms", digits=1):
        """The median, and the lowest and highest round when there were several."""
        values = self.values[name]
        text = f"{statistics.median(values):.{digits}f}"
        if len(values) > 1:
            text += f" ({min(values):.{digits}f}–{max(values):.{digits}f})"
        return text + unit if unit in ("%", "×") else f"{text} {unit}".rstrip()

    def ratio(self, name, reference, goal=None):
        """name over reference within each round, as measured side by side:
        the median, the spread, and the goal's verdict."""
        ratios = [a / b for a, b in zip(self.values[name], self.values[reference])]
        value = statistics.median(ratios)
        text = f"{value:.2f}×"
        if len(ratios) > 1:
            text = f"{value:.2f}× ({min(ratios):.2f}–{max(ratios):.2f})"
        if goal is not None:
            text += f" (goal: at most {goal:g}×, {'met' if value <= goal else 'NOT met'})"
        return text


def numbers_after(text, label):
    """The numbers on the first line that starts with label, after it."""
    for line in text.splitlines():
        stripped = line.strip()
        if stripped.startswith(label):
            return [float(n.replace(",", "")) for n in NUMBER.findall(stripped[len(label):])]
    raise ValueError(f"no line starts with {label!r}")


def part(text, heading):
    """The part of the output from the `== heading` line to the next `==`."""
    match = re.search(r"^== " + re.escape(heading) + r".*?(?=^== |\Z)", text, re.M | re.S)
    if not match:
        raise ValueError(f"no part {heading!r}")
    return match.group(0)


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows]
    return "\n".join(lines)


# Google Benchmark's JSON: every repetition, besides its aggregates.
def benchmark_times(path):
    """Seconds of each repetition, and bytes per second, by benchmark name."""
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    seconds, rates = {}, {}
    for run in runs:
        if run.get("run_type") == "aggregate":
            continue
        name = run["run_name"].split("/")[0]
        seconds.setdefault(name, []).append(run["real_time"] * scale[run["time_unit"]])
        if "bytes_per_second" in run:
            rates.setdefault(name, []).append(run["bytes_per_second"])
    return seconds, rates


def json_rounds(path, unit_scale):
    seconds, _ = benchmark_times(path)
    return Rounds([{name: values[n] * unit_scale for name, values in seconds.items()}
                   for n in range(min(len(v) for v in seconds.values()))])


# Each section: the figures, arranged from its files.

def table_store(results):
    path = os.path.join(results, "table.json")
    seconds, rates = benchmark_times(path)
    r = json_rounds(path, 1e3)
    rows = []
    for name, label in [("BM_PlainRead", "plain `read()`"), ("BM_Load", "`TMlb2::Load`"),
                        ("BM_Dump", "`kelvo table dump` (into `/dev/null`)"),
                        ("BM_PlainWrite", "plain `write()`"),
                        ("BM_PlainWriteSynced", "plain write + `fdatasync` + rename"),
                        ("BM_Save", "`TMlb2::Save` (atomic, flushed to disk)")]:
        rows.append([label, r.cell(name), f"{statistics.median(rates[name]) / 1e6:.0f}"])
    text = rounds_note(r, "repetitions, the benchmarks in random order")
    text += table(["", "time", "MB/s"], rows) + "\n\n"
    text += table(["", "against", "time"], [
        ["`Load`", "plain read", r.ratio("BM_Load", "BM_PlainRead")],
        ["`Save`", "plain write", r.ratio("BM_Save", "BM_PlainWrite")],
        ["`Save`", "plain write, synced and renamed", r.ratio("BM_Save", "BM_PlainWriteSynced")],
        ["`kelvo table dump`", "`Load`", r.ratio("BM_Dump", "BM_Load", goal=2)],
    ])
    return text


def parse_burst(text):
    first = numbers_after(text, "first")
    last = numbers_after(text, "last")
    plain = numbers_after(text, "plain no-replace copy:")
    return {"first": first[1], "last": last[1], "copy": plain[0], "capture": plain[1]}


def capture_bursts(results):
    rows = []
    for key, label in [("burst_1000", "1,000 × 200 KB"), ("burst_10000", "10,000 × 20 KB")]:
        r = rounds_of(results, key, parse_burst)
        rows.append([label, r.cell("first", digits=2), r.cell("last", digits=2),
                     r.ratio("last", "first"), r.cell("capture", digits=2),
                     r.cell("copy", digits=2), r.ratio("capture", "copy")])
    return rounds_note(r) + table(["", "first 100", "last 100", "last / first", "one capture",
                                   "plain no-replace copy", "capture / copy"], rows)


def parse_rename(text):
    capture = numbers_after(text, "capture: one copy, every name tried")
    copies = numbers_after(text, "copies alone, one per name (before)")
    return {"capture 1": capture[0], "capture many": capture[1],
            "copies 1": copies[0], "copies many": copies[1]}


def renaming(results):
    r = rounds_of(results, "rename", parse_rename)
    return rounds_note(r) + table(["", "1 name taken", "200 names taken", "200 / 1"], [
        ["the whole capture, one copy (now)", r.cell("capture 1", digits=2),
         r.cell("capture many", digits=2), r.ratio("capture many", "capture 1", goal=1.5)],
        ["the copies alone, one per name tried (before)", r.cell("copies 1", digits=2),
         r.cell("copies many", digits=2), r.ratio("copies many", "copies 1")],
    ])


def parse_capture_log(text):
    append = numbers_after(text, "append")
    rewrite = numbers_after(text, "rewrite")
    return {"append first": append[0], "append later": append[1],
            "rewrite first": rewrite[0], "rewrite later": rewrite[1]}


def daily_log(results):
    r = rounds_of(results, "capture_log", parse_capture_log)
    return rounds_note(r) + table(["per row", "first 100", "9,901st–10,000th", "ratio"], [
        ["append (a log Kelvo wrote)", r.cell("append first", digits=3),
         r.cell("append later", digits=3), r.ratio("append later", "append first")],
        ["load, add, save (any other log)", r.cell("rewrite first", digits=3),
         r.cell("rewrite later", digits=3), r.ratio("rewrite later", "rewrite first")],
    ]) + (f"\n\nThe 10,000th row appended takes 1/"
          f"{r.median('rewrite later') / r.median('append later'):.0f} of the time that "
          "loading, adding and saving takes.")


def history(results):
    path = os.path.join(results, "history.json")
    ms, us = json_rounds(path, 1e3), json_rounds(path, 1e6)
    return rounds_note(ms, "repetitions") + table(["", "time"], [
        ["load `TreeViewLogs.txt` into the tree", ms.cell("BM_LoadTree", digits=2)],
        ["a capture on a day already in the tree", us.cell("BM_CaptureOnAKnownDay", "µs", 2)],
        ["a capture on a new day", us.cell("BM_CaptureOnANewDay", "µs", 2)],
        ["1,800 days added one by one", ms.cell("BM_BuildTreeDayByDay", digits=2)],
        ["read one day's log (100 rows)", us.cell("BM_ReadOneDay", "µs", 1)],
    ])


def parse_listing(text):
    return {"load": numbers_after(text, "TMlb2::Load")[0],
            "listing": numbers_after(text, "complete listing")[0],
            "check": numbers_after(text, "of which the encoding check")[0],
            "command": numbers_after(text, "kelvo history DAY")[0]}


def listing(results):
    r = rounds_of(results, "listing", parse_listing)
    return rounds_note(r) + table(["", "time", "against"], [
        ["`TMlb2::Load`", r.cell("load"), ""],
        ["complete listing (load, encoding check, every line in the list model)",
         r.cell("listing"), f"{r.ratio('listing', 'load', goal=2)} `Load`"],
        ["of which the encoding check", r.cell("check"), ""],
        ["`kelvo history DAY` (into `/dev/null`)", r.cell("command"),
         f"{r.ratio('command', 'listing', goal=2)} the listing"],
    ])


SEARCHES = [("a selective word", "a word in 2% of the rows (\"tsukimi\")"),
            ("two words", "two words (\"tsukimi 壁紙\")"),
            ("a word in no row", "a word in no row"),
            ("a word in every row", "a word in every row")]


def parse_search(text):
    figures = {}
    for size in ["100 captures a day", "1,000 captures a day:"]:
        try:
            section = part(text, size)
        except ValueError:
            continue
        key = size.split()[0]
        figures[f"{key} cat"] = numbers_after(section, "cat of every log")[0]
        for label, _ in SEARCHES:
            line = line_of(section, f"search, {label}")
            figures[f"{key} {label}"] = numbers_after(section, f"search, {label}")[0]
            figures[f"{key} {label} rows"] = float(
                re.search(r"([\d,]+) rows \(", line).group(1).replace(",", ""))
            # The goal the benchmark holds this word to, and its worst single
            # run against cat, where it states them.
            goal = re.search(r"([\d.]+)\s+(\d+(?:\.\d+)?)x (?:met|MISSED)", line)
            figures[f"{key} {label} goal"] = float(goal.group(2)) if goal else 2.0
            if goal:
                figures[f"{key} {label} worst"] = float(goal.group(1))
        figures[f"{key} first"] = numbers_after(section, "first Found on the main thread")[0]
        heading = numbers_after(section, "== " + size.rstrip(":"))
        figures[f"{key} rows"], figures[f"{key} MiB"] = heading[0], heading[2]
    memory = part(text, "memory")
    figures["peak"] = numbers_after(memory, "peak resident memory")[0]
    figures["disk"] = numbers_after(memory, "the history on disk")[0]
    # The window's model holding every row found, then cleared, where measured.
    if "listed in the window's model" in memory:
        figures["before listing"], figures["listed"] = numbers_after(
            memory, "resident memory")[:2]
        figures["cleared"], figures["cleared goal"] = numbers_after(memory, "after clearing")[:2]
    return figures


def line_of(text, label):
    for line in text.splitlines():
        if line.strip().startswith(label):
            return line
    raise ValueError(f"no line starts with {label!r}")


def searching(results):
    r = rounds_of(results, "search", parse_search)
    text = rounds_note(r)
    for key, heading in [("100", "100 captures a day"), ("1,000", "1,000 captures a day")]:
        if f"{key} cat" not in r.values:
            text += f"{heading}: not generated in this run (over 30 s expected).\n\n"
            continue
        worst = f"{key} {SEARCHES[0][0]} worst" in r.values
        rows = [["`cat` of every log", r.cell(f"{key} cat"), "1×"] + [""] * worst]
        for label, shown in SEARCHES:
            goal = r.median(f"{key} {label} goal")
            row = [f"{shown}, {r.median(f'{key} {label} rows'):,.0f} rows found",
                   r.cell(f"{key} {label}"), r.ratio(f"{key} {label}", f"{key} cat", goal)]
            if worst:
                highest = max(r.values[f"{key} {label} worst"])
                row.append(f"{highest:.2f}× ({'met' if highest <= goal else 'NOT met'})")
            rows.append(row)
        first = r.median(f"{key} first")
        rows.append(["first results on the main thread (`SearchRunner`)",
                     r.cell(f"{key} first"),
                     f"goal ≤ 50 ms, {'met' if first <= 50 else 'NOT met'}"] + [""] * worst)
        title = (f"{heading} ({r.median(f'{key} rows'):,.0f} rows, "
                 f"{r.median(f'{key} MiB'):.1f} MiB)")
        header = [title, "time", "of `cat`"] + ["worst single run, of `cat`"] * worst
        text += table(header, rows) + "\n\n"
    text += (f"Peak memory of the whole search of the largest history (a child process): "
             f"{r.cell('peak', 'MiB')}, against {r.median('disk'):.1f} MiB of logs on disk "
             f"({r.median('peak') / r.median('disk'):.0%}).")
    if "listed" in r.values:
        cleared, goal = r.median("cleared"), r.median("cleared goal")
        text += (f"\n\nThe window listing every row found: {r.cell('before listing', 'MiB')} "
                 f"resident before, {r.cell('listed', 'MiB')} listed, and "
                 f"{r.cell('cleared', 'MiB')} over the start once cleared (goal: at most "
                 f"{goal:g} MiB, {'met' if cleared <= goal else 'NOT met'}).")
    return text


def parse_index(text):
    figures = {}
    for name, label in [("exact", "exact-content lookup, median"),
                        ("similar", "similar lookup, median"),
                        ("first similar", "first similar lookup (hashes read in)"),
                        ("opening", "opening it, quick check included"),
                        ("after write, writer", "similar lookup after a write, writer, median"),
                        ("after write, reader", "similar lookup after a write, reader, median")]:
        figures[name] = numbers_after(text, label)[0]
    indexing = part(text, "first indexing")
    # Rows of a label, two spaces, then the wall and the processor time.
    for line in indexing.splitlines():
        label, _, rest = line.strip().partition("  ")
        times = NUMBER.findall(rest)
        if len(times) == 2 and rest.rstrip().endswith("ms"):
            figures["indexing " + label] = float(times[0].replace(",", ""))
    ratio = numbers_after(indexing, "indexing / (sha256sum + decoding):")
    figures["indexing ratio"] = ratio[0]
    return figures


def collection_index(results):
    r = rounds_of(results, "collection_index", parse_index)
    text = rounds_note(r) + table(["among 200,000 captures", "time", "goal"], [
        ["the same bytes (an exact-content lookup)", r.cell("exact", digits=3),
         goal_cell(r.median("exact"), 5, "ms")],
        ["similar pictures (every perceptual hash within 8 bits)", r.cell("similar", digits=3),
         goal_cell(r.median("similar"), 20, "ms")],
        ["the first similar lookup after opening (reads the hashes in)",
         r.cell("first similar"), ""],
        ["a similar lookup just after a write, by the writer",
         r.cell("after write, writer", digits=3), ""],
        ["… and by another reader", r.cell("after write, reader", digits=3), ""],
        ["opening the index, quick check included", r.cell("opening"), ""],
    ])
    rows = [[label[len("indexing "):], r.cell(label, digits=0)]
            for label in r.values if label.startswith("indexing ") and label != "indexing ratio"]
    ratio = r.median("indexing ratio")
    text += "\n\n" + table(["the first indexing", "wall time"], rows)
    text += (f"\n\nThe first indexing takes {r.cell('indexing ratio', '×', 2)} the time of "
             f"`sha256sum` and decoding together (goal: at most 1.5×, "
             f"{'met' if ratio <= 1.5 else 'NOT met'}).")
    return text


def goal_cell(value, goal, unit):
    return f"≤ {goal:g} {unit}, {'met' if value <= goal else 'NOT met'}"


def parse_hash(text):
    figures = {"identical": numbers_after(text, "byte-identical copies caught")[0]}
    for name, label in [("half", "resized to half"), ("jpeg", "JPEG quality 70"),
                        ("webp", "WebP (quality 75)"),
                        ("crop", "10% of the area cropped, all sides"),
                        ("side5", "5% cropped from each side"),
                        ("one side", "10% cropped from one side"),
                        ("unrelated", "unrelated pictures")]:
        numbers = numbers_after(text, label)
        figures[name] = numbers[-1] if name == "side5" else numbers[0]
    hashing = numbers_after(text, "hashing a 1600 x 1200 JPEG")
    figures["hash ms"], figures["decode ms"] = hashing[1], hashing[3]
    return figures


def picture_hash(results):
    r = rounds_of(results, "picture_hash", parse_hash)

    def caught(name, goal=None):
        verdict = "" if goal is None else \
            f"≥ {goal}%, {'met' if r.median(name) >= goal else 'NOT met'}"
        return [r.cell(name, "%"), verdict]

    unrelated = r.median("unrelated")
    return table(["copy", "told as the same or similar", "goal"], [
        ["byte-identical", *caught("identical")],
        ["resized to half", *caught("half", 95)],
        ["JPEG quality 70", *caught("jpeg", 95)],
        ["WebP (quality 75)", *caught("webp", 95)],
        ["10% of the area cropped, evenly from every side", *caught("crop", 95)],
        ["5% off each edge (19% of the area)", *caught("side5")],
        ["10% off one side", *caught("one side")],
        ["unrelated pictures matching another (false matches)", r.cell("unrelated", "%", 2),
         f"≤ 0.1%, {'met' if unrelated <= 0.1 else 'NOT met'}"],
    ]) + (f"\n\nHashing a 1600 × 1200 JPEG from its file takes {r.cell('hash ms', digits=2)} "
          f"(median of 31 within the run), against {r.cell('decode ms', digits=2)} to "
          f"decode it whole: {r.ratio('hash ms', 'decode ms')}.")


def parse_drop(text):
    return {"gap": numbers_after(text, "longest event-loop gap, drop to preview")[0],
            "decode": numbers_after(text, "decode on the UI thread")[0],
            "copy": numbers_after(text, "copy of the file + fdatasync")[0]}


def window_drop(results):
    r = rounds_of(results, "window_drop", parse_drop)
    gap = r.median("gap")
    return rounds_note(r) + table(["", "time", "the gap against it"], [
        ["longest event-loop gap, drop to preview", r.cell("gap"),
         f"goal ≤ 30 ms, {'met' if gap <= 30 else 'NOT met'}"],
        ["decoding on the UI thread at the screen's size (the preview before)",
         r.cell("decode"), r.ratio("gap", "decode")],
        ["copy of the file + `fdatasync` alone (on the UI thread before)", r.cell("copy"),
         r.ratio("gap", "copy")],
    ])


def parse_browser(text):
    port = numbers_after(text, "menu to log row, over the open port:")
    return {"port": port[0], "browser": port[2], "host": port[3],
            "started": numbers_after(text, "menu to log row, a host started for it:")[0],
            "curl": numbers_after(text, "curl to the destination:")[0],
            "size": numbers_after(text, "image:")[0]}


def browser_save(results):
    r = rounds_of(results, "browser_save", parse_browser)
    port = r.median("port")
    return rounds_note(r) + f"A {r.median('size'):.1f} MB JPEG.\n\n" + table(
        ["path", "time", "against curl"], [
            ["over the open port", r.cell("port"),
             f"{r.ratio('port', 'curl', goal=1.5)}; under 1 s: "
             f"{'met' if port < 1000 else 'NOT met'}"],
            ["… of which the browser's side", r.cell("browser"), r.ratio("browser", "curl")],
            ["… of which Kelvo's host", r.cell("host"), r.ratio("host", "curl")],
            ["a host started for the save (no port open)", r.cell("started"),
             r.ratio("started", "curl")],
            ["`curl` to the destination", r.cell("curl"), "1×"],
        ])


def markdown_of(key):
    def render(results):
        with open(os.path.join(results, f"{key}.md")) as f:
            return f.read().strip()
    return render


# Reading the rounds.

def rounds_of(results, key, parse):
    outputs = sorted(name for name in os.listdir(results)
                     if re.fullmatch(re.escape(key) + r"\.\d+\.out", name))
    if not outputs:
        raise FileNotFoundError(key)
    parsed = []
    for name in outputs:
        with open(os.path.join(results, name)) as f:
            parsed.append(parse(f.read()))
    return Rounds(parsed)


def rounds_note(r, of="runs of the benchmark, each figure its own median"):
    if r.rounds == 1:
        return "One run; each figure is the benchmark's own median.\n\n"
    return f"Medians of {r.rounds} {of}; in brackets the lowest and the highest.\n\n"


def printed_output(results, key):
    names = sorted(n for n in os.listdir(results) if n.startswith(key + ".")
                   and n.endswith((".out", ".md", ".json")))
    text = ""
    for name in names:
        with open(os.path.join(results, name), errors="replace") as f:
            text += f.read()
    return text.strip()


def read_if(path):
    try:
        with open(path, errors="replace") as f:
            return f.read().strip()
    except FileNotFoundError:
        return None


def section_body(results, keys, render):
    for key in keys:
        missing = read_if(os.path.join(results, f"{key}.missing"))
        if missing is not None:
            return f"*Not measured in this run: {missing}*"
        failed = read_if(os.path.join(results, f"{key}.failed"))
        if failed is not None:
            return f"*The benchmark failed in this run:*\n\n```\n{failed}\n```"
    try:
        return render(results)
    except FileNotFoundError:
        return "*Not measured in this run: the benchmark left no output.*"
    except (OSError, ValueError, KeyError, IndexError, statistics.StatisticsError) as error:
        printed = "\n".join(printed_output(results, key) for key in keys)
        return (f"*Its output could not be arranged into a table ({type(error).__name__}: "
                f"{error}); as printed:*\n\n```\n{printed}\n```")


SECTIONS = [
    ("Table store", ["table"], table_store,
     "A 20 MB daily log (160,000 rows of the five log columns, Japanese and ASCII values) "
     "loaded and saved by the table store, against a plain `read()` and `write()` of the same "
     "bytes, and `kelvo table dump` of it against loading it (`kelvo_table_bench`)."),
    ("Capture bursts", ["burst_1000", "burst_10000"], capture_bursts,
     "The whole capture of dropped JPEGs into one destination (copy, stamp, history, log), "
     "the day's first 100 against its last 100, and one capture against a plain no-replace "
     "copy of the same file (`kelvo_capture_bench COUNT SIZE_KB`)."),
    ("Automatic renaming", ["rename"], renaming,
     "One 200 KB file captured into a folder where its name is taken, and into one where 200 "
     "names are, against the copies alone as renaming made them before: a whole copy, flushed, "
     "for every name tried (`kelvo_capture_bench rename 200 200`). The goal: 200 taken names "
     "cost at most 1.5× one."),
    ("Disk syncs", ["syncs"], markdown_of("syncs"),
     "The `fdatasync` and `fsync` calls of one `kelvo capture` of a 200 KB file, counted by "
     "`strace -f -c`."),
    ("A capture from the command line", ["capture_process"], markdown_of("capture_process"),
     "`kelvo capture` of a 200 KB file, each call a new process and a new file name, into the "
     "destination a home's `kelvo.ini` sets, against `cp -n` then `sync -f` of the same bytes "
     "(`scripts/lib/time_processes.py`). The goal: at most 2×."),
    ("Starting for a command", ["version"], markdown_of("version"),
     "`kelvo --version` against a Qt Core program that prints one line, built with the same "
     "flags (`kelvo_hello_core`): what Kelvo adds to the start of every command. The goal: at "
     "most 1.5×."),
    ("The window's first paint", ["first_paint"], markdown_of("first_paint"),
     "The time from start to the main window's first paint, against a Qt Widgets hello world "
     "(`tests/bench/first_paint_bench.sh`)."),
    ("Daily log", ["capture_log"], daily_log,
     "The time per row written to a day's log, for its first 100 rows and its 9,901st to "
     "10,000th: appended, as to a log Kelvo wrote, against loaded, added to and saved, as any "
     "other log is (`kelvo_capture_log_bench`). Every row waits for the disk."),
    ("Five years of history", ["history"], history,
     "1,800 day nodes and 100 captures a day: what start-up and the history window pay "
     "(`kelvo_history_bench`)."),
    ("Listing a large day", ["listing"], listing,
     "A day of 50,000 captures listed by the history browser, against loading its log, and "
     "`kelvo history DAY` against the listing (`kelvo_history_listing_bench`). The goals: "
     "each at most 2×."),
    ("Searching the whole history", ["search"], searching,
     "Five years of logs (1,826 days, in the bytes Kelvo writes) searched as the history "
     "browser's search does, against `cat` of every log, the two interleaved; the time to the "
     "first results with the event loop running; and the peak memory of a whole search "
     "(`kelvo_history_search_bench`). The goals: each search within the multiple of `cat` the "
     "benchmark holds it to, first results within 50 ms."),
    ("The collection's index", ["collection_index"], collection_index,
     "`collection.sqlite` holding 200,000 captures, looked up as a capture and the history "
     "look it up; and the first indexing of 20,000 small JPEGs, against `sha256sum` of the "
     "same files and decoding them at the hash's size (`kelvo_collection_index_bench`)."),
    ("How alike is similar", ["picture_hash"], picture_hash,
     "400 pictures made in code, each against its edited copies, and 10,000 unrelated "
     "pictures, each against every other, at the threshold Kelvo uses "
     "(`kelvo_picture_hash_bench`). The pictures come from a fixed seed: the shares are the "
     "same on every run."),
    ("A 24-megapixel JPEG dropped on the window", ["window_drop"], window_drop,
     "The real main window (offscreen) with a 5 ms heartbeat: the longest time between two "
     "heartbeats from the drop until the preview shows, against the work that was on the UI "
     "thread before (`kelvo_window_drop_bench`). The goal: at most 30 ms."),
    ("Saving from the browser's menu", ["browser_save"], browser_save,
     "A large JPEG saved from the browser's menu, from the command to its log row, with the "
     "extension's own code under Node, against `curl` writing the same bytes to the "
     "destination (`tests/bench/browser_save_bench.js`). The goals: at most 1.5× curl, and "
     "under 1 s."),
    ("Window", ["window"], markdown_of("window"),
     "Start-up and memory of the window (`scripts/measure.sh`): the time from start to the "
     "first paint (`KELVO_QUIT_WHEN_SHOWN=1`), the peak RSS shown and idle, and after a "
     "6000 × 4000 JPEG was captured and previewed; the home holds five years of history."),
]


def git(root, *args):
    return subprocess.run(["git", "-C", root, *args], capture_output=True, text=True).stdout


def header(results, root):
    """What was measured, when and where: bench.sh notes the commit and the
    time as the run starts, since others may commit while it runs."""
    commit = read_if(os.path.join(results, "commit"))
    if commit is None:
        commit = git(root, "rev-parse", "--short", "HEAD").strip() or "unknown"
        if git(root, "status", "--porcelain").strip():
            commit += "+changes"
    started = read_if(os.path.join(results, "started")) or "unknown"
    cpu = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    cores = subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()
    return "\n".join([
        "# Kelvo: performance",
        "",
        "Written by `scripts/bench.sh` from one run of every benchmark, in a Release build; "
        "nothing here is written by hand. On a shared machine single figures move with the "
        "load: the ratios, each side measured beside its reference, are what counts.",
        "",
        f"- date: {started}",
        f"- commit: {commit}",
        f"- machine: {cores} cores, {cpu}",
    ])


def main():
    results, root = sys.argv[1], sys.argv[2]
    parts = [header(results, root)]
    for title, keys, render, prose in SECTIONS:
        parts.append(f"## {title}\n\n{prose}\n\n{section_body(results, keys, render)}")
    print("\n\n".join(parts))


if __name__ == "__main__":
    main()
