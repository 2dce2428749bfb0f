#!/usr/bin/env python3
"""Times separate processes side by side and prints a markdown table.

    time_processes.py [--runs N] [--goal X] LABEL COMMAND [LABEL COMMAND ...]

Each COMMAND is split as a shell would split it, but runs without a shell: a
shell's own start would be timed too. A `&&` word separates programs run one
after the other in the same call, and `{n}` becomes the call's number, so
that each call can write a file of its own. The sides alternate, each round
starting at the next one, so that a busy moment of the machine falls on
every side alike, after one untimed round. The last side is the reference
the others are set against; --goal prints the most each may take of it. A
call that fails stops the whole run with exit status 1.
"""

import argparse
import shlex
import statistics
import subprocess
import sys
import time


def programs(command, n):
    """The argument lists of one call of COMMAND, numbered n."""
    words = [word.replace("{n}", str(n)) for word in shlex.split(command)]
    calls, current = [], []
    for word in words:
        if word == "&&":
            calls.append(current)
            current = []
        else:
            current.append(word)
    return calls + [current]


def time_call(argvs):
    """Nanoseconds to run argvs one after the other; None when one fails."""
    started = time.perf_counter_ns()
    for argv in argvs:
        if subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode:
            return None
    return time.perf_counter_ns() - started


def alternate(commands, runs):
    """Nanoseconds of each of runs calls of every command, in rotating order."""
    times = [[] for _ in commands]
    # One round untimed first: the programs and their libraries read in.
    for command in commands:
        if time_call(programs(command, runs)) is None:
            sys.exit(f"time_processes: failed: {command}")
    for run in range(runs):
        for k in range(len(commands)):
            side = (run + k) % len(commands)
            argvs = programs(commands[side], run)
            taken = time_call(argvs)
            if taken is None:
                sys.exit(f"time_processes: failed: {shlex.join(argvs[0])}")
            times[side].append(taken)
    return times


def milliseconds(ns):
    return f"{ns / 1e6:.2f} ms"


def table(labels, times, goal):
    """The medians, their spread and each side against the last, as markdown."""
    reference = statistics.median(times[-1])
    against = f"against {labels[-1]}"
    lines = [f"| | median | min–max | {against} |", "|---|---|---|---|"]
    for label, values in zip(labels, times):
        median = statistics.median(values)
        ratio = f"{median / reference:.2f}×"
        if goal is not None and values is not times[-1]:
            met = "met" if median <= goal * reference else "NOT met"
            ratio += f" (goal: at most {goal:g}×, {met})"
        spread = f"{min(values) / 1e6:.2f}–{max(values) / 1e6:.2f} ms"
        lines.append(f"| {label} | {milliseconds(median)} | {spread} | {ratio} |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--runs", type=int, default=50)
    parser.add_argument("--goal", type=float)
    parser.add_argument("sides", nargs="+", metavar="LABEL COMMAND")
    args = parser.parse_args()
    if len(args.sides) < 4 or len(args.sides) % 2:
        parser.error("give at least two LABEL COMMAND pairs")
    labels, commands = args.sides[0::2], args.sides[1::2]
    times = alternate(commands, args.runs)
    print(f"Medians of {args.runs} calls of each, alternating; each call a new process.")
    print()
    print(table(labels, times, args.goal))


if __name__ == "__main__":
    main()
