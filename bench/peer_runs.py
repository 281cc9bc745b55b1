"""What the command-line benchmarks share: timing one process, and finding the Python that has
the peers (numpy and pandas)."""
import os
import subprocess
import sys
import time


def run_process(command):
    """Runs `command` (its output discarded) and returns its wall time and CPU time (user +
    system) in seconds and its peak memory in bytes; ends the benchmark when it fails. CPU time is
    what a pipeline costs; wall time also counts waiting for the processor on a shared machine."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    seconds = time.perf_counter() - start
    if status != 0:
        sys.exit("failed (%d): %s" % (status, " ".join(command)))
    return seconds, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024  # kB on Linux


def baseline_python():
    """An interpreter that has numpy and pandas: this one, else the system's (Debian packages)."""
    for python in (sys.executable, "/usr/bin/python3"):
        if os.path.exists(python) and subprocess.run(
                [python, "-c", "import numpy, pandas"], stderr=subprocess.DEVNULL).returncode == 0:
            return python
    sys.exit("numpy and pandas are missing: apt-get install python3-numpy python3-pandas")
