#!/usr/bin/env python3
"""Real-speed benchmark of the whole show (about four minutes).

Runs the built program on an 80x25 pseudo-terminal and, at the same time,
the floor: a bare loop that sleeps the same pauses the same way and writes
one byte to its own pseudo-terminal before each. Prints wall time to the
prompt, CPU time and peak memory of the program beside the floor's, and
the write calls and bytes the program makes (counted with strace, pauses
made instant).
"""
import fcntl
import json
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

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The show's prompt, as the letter says it.
with open(os.path.join(TOP, "tests", "letter.json"), encoding="utf-8") as f:
    PROMPT = json.load(f)["words"]["prompt"].encode()


def build(work):
    subprocess.run(["cmake", "-S", TOP, "-B", os.path.join(TOP, "build"),
                    "-DCMAKE_BUILD_TYPE=Release"], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", os.path.join(TOP, "build")],
                   check=True, stdout=subprocess.DEVNULL)
    clock = os.path.join(work, "show_clock.so")
    floor = os.path.join(work, "floor")
    subprocess.run(["g++", "-O2", "-shared", "-fPIC", "-I", TOP, "-o", clock,
                    os.path.join(TOP, "video", "show_clock.cpp"), "-ldl"],
                   check=True)
    subprocess.run(["g++", "-O2", "-std=c++17", "-o", floor,
                    os.path.join(TOP, "bench", "floor.cpp")], check=True)
    return os.path.join(TOP, "build", "baru"), clock, floor


def instant_run(baru, clock, work):
    """Pauses and write calls of one run with every pause instant."""
    log = os.path.join(work, "pauses.log")
    trace = os.path.join(work, "trace.txt")
    master, slave = pty.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
    reader = threading.Thread(target=drain, args=(master, [], None))
    reader.start()
    with open(log, "w") as pauses:
        subprocess.run(["strace", "-qq", "-e", "trace=write", "-o", trace,
                        "env", "LD_PRELOAD=" + clock, baru],
                       stdin=subprocess.DEVNULL, stdout=slave, stderr=slave,
                       preexec_fn=lambda: os.dup2(pauses.fileno(), 3),
                       pass_fds=(3,))
    os.close(slave)
    reader.join()
    os.close(master)
    ms = [int(line.split()[0]) for line in open(log)]
    calls = [line for line in open(trace) if line.startswith("write(1,")]
    written = sum(int(re.search(r"= (\d+)$", c.strip()).group(1))
                  for c in calls)
    return ms, len(calls), written


def drain(fd, seen, until):
    """Reads fd until it closes; stamps the moment `until` is first seen."""
    data = b""
    while True:
        try:
            chunk = os.read(fd, 65536)
        except OSError:
            return
        if not chunk:
            return
        data = (data + chunk)[-256:]
        if until and not seen and until in data:
            seen.append(time.monotonic())


def start_on_pty(argv):
    pid, master = pty.fork()
    if pid == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
        os.execv(argv[0], argv)
    return pid, master


def vm_hwm_kib(pid):
    for line in open("/proc/%d/status" % pid):
        if line.startswith("VmHWM:"):
            return int(line.split()[1])
    return 0


def real_run(baru, floor, pause_file):
    """The program and the floor side by side, at real speed."""
    show_start = time.monotonic()
    show, show_pty = start_on_pty([baru])
    base_start = time.monotonic()
    base, base_pty = start_on_pty([floor, pause_file])
    show_seen, base_seen = [], []
    readers = [threading.Thread(target=drain, args=a) for a in
               ((show_pty, show_seen, PROMPT), (base_pty, base_seen, b"!"))]
    for r in readers:
        r.start()
    while not show_seen:
        time.sleep(0.01)
    hwm = vm_hwm_kib(show)
    os.write(show_pty, b"\r")
    _, _, show_usage = os.wait4(show, 0)
    _, _, base_usage = os.wait4(base, 0)
    for r in readers:
        r.join()
    cpu = lambda u: u.ru_utime + u.ru_stime
    return (show_seen[0] - show_start, base_seen[0] - base_start,
            cpu(show_usage),
            cpu(base_usage), hwm)


def main():
    if not shutil.which("strace"):
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "strace"],
                       check=True)
    with tempfile.TemporaryDirectory() as work:
        baru, clock, floor = build(work)
        ms, calls, written = instant_run(baru, clock, work)
        pause_file = os.path.join(work, "pauses.txt")
        with open(pause_file, "w") as f:
            f.write("\n".join(map(str, ms)) + "\n")
        total = sum(ms) / 1000
        print("pauses: %d, %.3f s in all; real run, about %.0f s ..." %
              (len(ms), total, total + 1), flush=True)
        show_s, base_s, show_cpu, base_cpu, hwm = real_run(baru, floor,
                                                           pause_file)
    ok = lambda good: "ok" if good else "OVER"
    print("%-26s %10s %10s %10s" % ("", "show", "floor", "difference"))
    print("%-26s %10.3f %10.3f %+10.3f  %s (at most +0.020)" %
          ("wall time to prompt (s)", show_s, base_s, show_s - base_s,
           ok(show_s - base_s <= 0.020)))
    print("%-26s %10.3f %10.3f %+10.3f  %s (at most +0.020)" %
          ("CPU, user + system (s)", show_cpu, base_cpu, show_cpu - base_cpu,
           ok(show_cpu - base_cpu <= 0.020)))
    print("%-26s %10d %10s %10s  %s (at most 2048)" %
          ("peak resident (KiB)", hwm, "", "", ok(hwm <= 2048)))
    print("%-26s %10d %10s %10s  %s (at most %d)" %
          ("write calls", calls, "", "", ok(calls <= len(ms) + 10),
           len(ms) + 10))
    print("%-26s %10d %10s %10s  %s (at most 20000)" %
          ("bytes written", written, "", "", ok(written <= 20000)))


if __name__ == "__main__":
    main()
