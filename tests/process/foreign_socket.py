#!/usr/bin/env python3
"""A second start never talks to a hand-over socket kept by another user: a
process of another user that listens where the window would, holding the
home's lock, gets no files, and `kelvo capture` says what is wrong and exits 1
without reporting anything saved.

Needs root, to become another user; exit code 77 (skipped) otherwise.
usage: foreign_socket.py KELVO
"""
import hashlib
import os
import socket
import subprocess
import sys
import tempfile

SKIP = 77
NOBODY = 65534


def socket_path(home):
    """Where the window of this home listens when XDG_RUNTIME_DIR is unset."""
    real = os.path.realpath(home) + "/"
    return os.path.join(real, ".run", "kelvo-" + hashlib.sha1(real.encode()).hexdigest()[:16])


def main():
    kelvo = sys.argv[1]
    if os.geteuid() != 0:
        print("SKIP: becoming another user needs root")
        return SKIP
    with tempfile.TemporaryDirectory(prefix="kelvo-foreign-") as folder:
        home = os.path.join(folder, "home") + "/"
        os.makedirs(os.path.join(home, ".run"), mode=0o700)
        picture = os.path.join(folder, "photo.jpg")
        with open(picture, "wb") as f:
            f.write(b"picture")
        path = socket_path(home)
        ready_read, ready_write = os.pipe()
        child = os.fork()
        if child == 0:  # the other user's fake window
            os.close(ready_read)
            server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            server.bind(path)
            os.chmod(path, 0o777)
            os.setgid(NOBODY)
            os.setuid(NOBODY)
            server.listen(1)  # the credentials a peer sees are taken here
            os.write(ready_write, b"1")
            connection, _ = server.accept()
            received = connection.recv(4096)
            if received:  # a request reached it: answer as if saved
                connection.sendall(b"SAVED\t%2Ftmp%2Fphoto.jpg\tsaved\nEND\n")
            connection.close()
            os._exit(3 if received else 0)
        os.close(ready_write)
        os.read(ready_read, 1)
        # The lock names the fake window, by its program too, as Qt checks.
        program = os.path.basename(os.readlink("/proc/%d/exe" % child))
        with open(os.path.join(home, "kelvo.lock"), "w") as lock:
            lock.write("%d\n%s\n%s\n" % (child, program, socket.gethostname()))
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        env.pop("XDG_RUNTIME_DIR", None)
        result = subprocess.run([kelvo, "--home", home, "capture", picture], env=env,
                                capture_output=True, text=True, timeout=30)
        try:
            os.kill(child, 9)  # one that was never connected to waits for good
        except ProcessLookupError:
            pass
        _, status = os.waitpid(child, 0)
        if os.WIFEXITED(status) and os.WEXITSTATUS(status) == 3:
            print("FAIL: the files were handed to another user's process")
            return 1
        if result.returncode != 1 or "another user" not in result.stderr or result.stdout:
            print("FAIL: exit %d, stdout %r, stderr %r"
                  % (result.returncode, result.stdout, result.stderr))
            return 1
    print("PASS: a socket of another user gets no files and the capture says so")
    return 0


if __name__ == "__main__":
    sys.exit(main())
