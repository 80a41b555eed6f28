#!/usr/bin/env python3
"""--run as a program in a terminal: a prompt written with print stands on a pseudo-terminal before the
program waits for input, and what a program printed before SIGINT or SIGTERM is written out before it
ends of the signal.
    terminal_test.py PROGRAM WORKDIR
Each file is made with --import-java first."""
import os
import pty
import select
import signal
import subprocess
import sys
import time

program, work = sys.argv[1], sys.argv[2]
failures = []
env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}


def design(name, source):
    with open(os.path.join(work, name + ".txt"), "w") as f:
        f.write(source)
    path = os.path.join(work, name + ".str")
    subprocess.run([program, "--import-java", path[:-4] + ".txt", path], env=env, check=True)
    return path


def read_until(fd, wanted, seconds):
    """What the terminal shows until `wanted` is in it or `seconds` have passed."""
    seen = b""
    end = time.monotonic() + seconds
    while wanted not in seen and time.monotonic() < end:
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                chunk = os.read(fd, 1024)
            except OSError:
                break
            if not chunk:
                break
            seen += chunk
    return seen


# The prompt is on the terminal while the program waits; the answer is read and used.
prompt = design("prompt", 'Scanner sc = new Scanner(System.in);\nSystem.out.print("Zahl: ");\n'
                'int x = sc.nextInt();\nSystem.out.println(x * 2);\n')
pid, fd = pty.fork()
if pid == 0:
    os.execve(program, [program, "--run", prompt], env)
shown = read_until(fd, b"Zahl: ", 20)
if b"Zahl: " not in shown:
    failures.append("prompt before the read: %r" % shown)
else:
    os.write(fd, b"21\n")
    shown = read_until(fd, b"42", 20)
    if b"42" not in shown:
        failures.append("answer to the prompt: %r" % shown)
if b"42" not in shown:
    os.kill(pid, signal.SIGKILL)
os.waitpid(pid, 0)
os.close(fd)


def caught(pid, signum):
    """Whether the process has installed a handler for `signum` (SigCgt in /proc)."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("SigCgt:"):
                    return int(line.split()[1], 16) >> (signum - 1) & 1
    except OSError:
        pass
    return False


# Output before an endless loop reaches a pipe when the run is interrupted; the run dies of the signal.
endless = design("endless", 'int n = 0;\nSystem.out.print("vor der Schleife");\nwhile (true) {\n  n++;\n}\n')
for signum in (signal.SIGINT, signal.SIGTERM):
    child = subprocess.Popen([program, "--run", endless], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    end = time.monotonic() + 20
    while not caught(child.pid, signum) and time.monotonic() < end:
        time.sleep(0.02)
    child.send_signal(signum)
    out, err = child.communicate(timeout=20)
    if out != b"vor der Schleife" or child.returncode != -signum:
        failures.append("%s: %r %r status %d" % (signal.Signals(signum).name, out, err, child.returncode))

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
