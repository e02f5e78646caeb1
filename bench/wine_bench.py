#!/usr/bin/env python3
"""Real-speed benchmark of the Windows build under Wine (about twelve
minutes).

Runs, one after the other on an 80x25 pseudo-terminal, the Windows floor
(a bare loop that writes one byte to the console and calls Sleep for each
of the show's pauses) and baru.exe, and prints the time from the start of
each to its end: the floor's last byte, the show's prompt. Then counts the
console write calls of each, in runs of their own: Wine's relay trace,
limited to the write calls, costs about 0.1 ms a call, too much to leave
in a timed run.
"""
import fcntl
import os
import pty
import re
import shutil
import struct
import subprocess
import tempfile
import termios
import threading
import time

import bench

TOP = bench.TOP
WRITES = ["KERNEL32.WriteFile", "KERNEL32.WriteConsoleA",
          "KERNEL32.WriteConsoleW"]


def build_windows(work):
    win = os.path.join(TOP, "build-win")
    subprocess.run(["cmake", "-S", TOP, "-B", win, "-DCMAKE_BUILD_TYPE=Release",
                    "-DCMAKE_TOOLCHAIN_FILE=" +
                    os.path.join(TOP, "cmake", "mingw-w64.cmake")],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", win], check=True,
                   stdout=subprocess.DEVNULL)
    floor = os.path.join(work, "floor.exe")
    subprocess.run(["x86_64-w64-mingw32-g++-posix", "-O2", "-static",
                    "-std=c++17", "-o", floor,
                    os.path.join(TOP, "bench", "floor_windows.cpp")],
                   check=True)
    return os.path.join(win, "baru.exe"), floor


def start_wine(work):
    """A prefix of its own, and a server that stays, so that every run
    starts the same way."""
    os.environ.update(WINEPREFIX=os.path.join(work, "prefix"),
                      WINEDEBUG="-all")
    subprocess.run(["wineboot", "-i"], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Debug", "/v",
                    "RelayInclude", "/d", ";".join(WRITES), "/f"],
                   check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    subprocess.Popen(["wineserver", "-p"], stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, start_new_session=True)


def run(argv, until, relay_log=None):
    """Seconds from the start of a Windows program under Wine to `until`
    in its output; a key ends it there."""
    if relay_log:
        os.environ["WINEDEBUG"] = "+relay"
    seen = []
    start = time.monotonic()
    pid, master = pty.fork()
    if pid == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ,
                          struct.pack("HHHH", 25, 80, 0, 0))
        if relay_log:
            os.dup2(os.open(relay_log, os.O_WRONLY | os.O_CREAT), 2)
        os.execvp("wine", ["wine"] + argv)
    os.environ["WINEDEBUG"] = "-all"
    reader = threading.Thread(target=bench.drain, args=(master, seen, until))
    reader.start()
    while not seen:
        time.sleep(0.01)
    os.write(master, b"x")
    os.waitpid(pid, 0)
    reader.join()
    return seen[0] - start


def write_calls(relay_log):
    """The console write calls made by the program's own thread, the first
    in the log; the console host and the command interpreter have threads
    of their own. A program that writes the console with WriteConsole
    (the show: its runtime's WriteFile goes into a pipe of its own) counts
    those; one that writes it with WriteFile (the floor), those."""
    log = open(relay_log).read()
    first = re.search(r"^([0-9a-f]+):", log, re.M).group(1)
    calls = [name for thread, name in
             re.findall(r"^([0-9a-f]+):Call (\S+)\(", log, re.M)
             if thread == first and name in WRITES]
    console = [name for name in calls if "WriteConsole" in name]
    return len(console or calls)


def main():
    for tool in ("wine", "x86_64-w64-mingw32-g++-posix", "strace"):
        if not shutil.which(tool):
            raise SystemExit("needs %s: bash tests/all.sh installs it" % tool)
    with tempfile.TemporaryDirectory() as work:
        baru, clock, _ = bench.build(work)
        ms, _, _ = bench.instant_run(baru, clock, work)
        pause_file = os.path.join(work, "pauses.txt")
        with open(pause_file, "w") as f:
            f.write("\n".join(map(str, ms)) + "\n")
        exe, floor = build_windows(work)
        start_wine(work)
        # The program's working directory holds no music file.
        os.chdir(work)
        print("pauses: %d, %.3f s in all; three real runs ..." %
              (len(ms), sum(ms) / 1000), flush=True)
        floor_s = run([floor, pause_file], b"!")
        show_s = run([exe], bench.PROMPT)
        zero = os.path.join(work, "zero.txt")
        with open(zero, "w") as f:
            f.write("0\n" * len(ms))
        logs = [os.path.join(work, n) for n in ("floor.log", "show.log")]
        run([floor, zero], b"!", logs[0])
        run([exe], bench.PROMPT, logs[1])
        floor_calls, show_calls = map(write_calls, logs)
        subprocess.run(["wineserver", "-k"])
    print("%-26s %10s %10s %10s" % ("", "show", "floor", "difference"))
    print("%-26s %10.3f %10.3f %+10.3f  %s (at most +0.200)" %
          ("wall time to the end (s)", show_s, floor_s, show_s - floor_s,
           "ok" if show_s - floor_s <= 0.200 else "OVER"))
    print("%-26s %10d %10d %+10d" %
          ("console write calls", show_calls, floor_calls,
           show_calls - floor_calls))


if __name__ == "__main__":
    main()
