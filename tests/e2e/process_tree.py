"""What a test needs to end every process it started, however it ends: the
processes under it, signals that end it through its finally blocks, and a
parent's death that takes its children along."""
import contextlib
import ctypes
import os
import signal
import time

ENDING_SIGNALS = (signal.SIGTERM, signal.SIGINT, signal.SIGHUP)
PR_SET_CHILD_SUBREAPER = 36


def keep_orphans():
    """Makes this process the one that a process under it comes back to when
    its parent ends, as a crash handler started by a browser does, instead of
    init: it stays under this one, for end_all() and for CTest, which at a
    timeout kills the process and all under it."""
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        raise OSError(ctypes.get_errno(), "prctl(PR_SET_CHILD_SUBREAPER)")


def killed_with_parent(command):
    """The command run so that it is killed when this process dies, even by
    SIGKILL, before it could end it."""
    return ["setpriv", "--pdeathsig", "KILL"] + list(command)


def _parents():
    """pid to (parent pid, state) of every process there."""
    found = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as stat:
                # The name, in parentheses, may hold spaces and parentheses.
                fields = stat.read().rsplit(")", 1)[1].split()
        except (OSError, IndexError):
            continue
        found[int(entry)] = (int(fields[1]), fields[0])
    return found


def live_descendants(pid=None):
    """Every process under pid (this one by default) that has not ended."""
    parents = _parents()
    children = {}
    for child, (parent, _) in parents.items():
        children.setdefault(parent, []).append(child)
    found, queue = [], [pid or os.getpid()]
    while queue:
        for child in children.get(queue.pop(), []):
            queue.append(child)
            if parents[child][1] != "Z":
                found.append(child)
    return found


def end_all(started, grace=5):
    """Asks every process under this one to end, kills what is left after
    grace seconds, and collects their exits: those of the started Popens
    through them, the others' here."""
    for pid in live_descendants():
        with contextlib.suppress(ProcessLookupError):
            os.kill(pid, signal.SIGTERM)
    deadline = time.time() + grace
    while live_descendants() and time.time() < deadline:
        time.sleep(0.1)
    for pid in live_descendants():
        with contextlib.suppress(ProcessLookupError):
            os.kill(pid, signal.SIGKILL)
    for process in started:
        process.wait()
    waited = {process.pid for process in started}
    for child, (parent, _) in _parents().items():
        if parent == os.getpid() and child not in waited:
            # Killed again: it may have come after the last look.
            with contextlib.suppress(ProcessLookupError, ChildProcessError):
                os.kill(child, signal.SIGKILL)
                os.waitpid(child, 0)


class EndingSignals:
    """SIGTERM, SIGINT or SIGHUP (a timeout, Ctrl+C, a closed terminal) ends
    the test as a failure does, through its finally blocks, so that what it
    started is ended too. One that comes while held_off() waits until then."""

    def __init__(self):
        self.holding = False
        self.held = None
        for number in ENDING_SIGNALS:
            signal.signal(number, self.stop)

    def stop(self, number, frame):
        if not self.holding:
            raise SystemExit(128 + number)
        self.held = number

    @contextlib.contextmanager
    def held_off(self):
        self.holding = True
        try:
            yield
        finally:
            self.holding = False
        if self.held:
            raise SystemExit(128 + self.held)
