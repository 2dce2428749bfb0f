#!/usr/bin/env python3
"""The folders of src/ are the layers: checks what the include paths cannot.

Each library folder (src/core, src/widgets, ...) holds one folder per subject.
An include names a subject folder ("capture/DropIntake.h"), which the include
paths resolve to the including library's own folder or to a library below it.
Checked here: every include names a header that exists in such a library, and
the subject folders include each other without a cycle.

  folder_graph.py SRC
"""
import os
import re
import sys

# Each library and the libraries it sees, as src/*/CMakeLists.txt link them.
LIBRARIES = {
    "base": [],
    "core": ["base"],
    "image": ["core", "base"],
    "net": ["core", "base"],
    "platform": ["core", "base"],
    "cli": ["core", "base"],
    "host": ["cli", "core", "base"],
    "widgets": ["image", "net", "platform", "core", "base"],
    # Loaded by Qt, not linked: sees Qt alone.
    "plugins": [],
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def resolve(src, library, header):
    """The subject folder ("core/capture") an include of library names."""
    for seen in [library] + LIBRARIES[library]:
        if os.path.isfile(os.path.join(src, seen, header)):
            return seen + "/" + os.path.dirname(header)
    return None


def read_edges(src):
    edges, problems = {}, []
    for library in LIBRARIES:
        root = os.path.join(src, library)
        for folder, _, names in os.walk(root):
            subject = os.path.relpath(folder, src)
            for name in names:
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                for header in INCLUDE.findall(text):
                    if header.endswith(".moc"):
                        continue
                    target = resolve(src, library, header)
                    if target is None:
                        problems.append(f"{os.path.relpath(path, src)}: "
                                        f'"{header}" is not in {library} or below it')
                    elif target != subject:
                        edges.setdefault(subject, {}).setdefault(target, os.path.relpath(path, src))
    return edges, problems


def find_cycle(edges):
    state, stack = {}, []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(edges.get(node, {})):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main():
    src = sys.argv[1]
    edges, problems = read_edges(src)
    cycle = find_cycle(edges)
    if cycle:
        steps = [f"{a} -> {b} ({edges[a][b]})" for a, b in zip(cycle, cycle[1:])]
        problems.append("the folders include each other in a circle:\n  " + "\n  ".join(steps))
    for problem in problems:
        print(problem, file=sys.stderr)
    if not problems:
        print(f"{len(edges)} folders, no cycle")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
