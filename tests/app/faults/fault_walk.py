"""Walks injected faults through the Linux program on a machine fixture that
exercises every collector: for each platform operation the run calls, the
N-th call fails (and, in a second walk, every call from the N-th on), for N
from 1 until the fault no longer fires; then the N-th memory allocation
fails, for N from 1 until none fails. Every run must end by itself within its
time limit, without a signal and without a sanitizer's report (leaks
included), and must leave either a report file that olefile and tovdump open
with all five streams and exit status 0; or, when the file could not be
created, no file and exit status 1; or, when a stream could not be made or
written whole, exit status 1 and a file that olefile and tovdump still open,
holding every other stream, the reader naming what is missing.

    python3 fault_walk.py operations|allocations

TOV_BIN names the program (a linux-asan build), TOVDUMP the reader,
TOV_FIXTURES the fixtures folder. Prints, per operation, the calls walked.
"""
import concurrent.futures
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import olefile

TOV = os.environ["TOV_BIN"]
TOVDUMP = os.environ["TOVDUMP"]
FIXTURE = os.path.join(os.environ["TOV_FIXTURES"], "full_machine.json")
STREAMS = ["DevMan", "EvLog_Norvan", "EvLog_Security", "EvLog_System", "Services"]
RUN_SECONDS = 60
SANITIZER_STATUS = 86
FIRED = re.compile(r"^tov: injected fault: ", re.M)

# Faults after which no report file can be made: the file itself cannot be
# created, or the run cannot start. Status 1 and no file are then the right
# end.
NO_REPORT_FAULTS = {
    "StgCreateStorageEx", "MultiByteToWideChar", "InitializeCriticalSectionAndSpinCount",
    "CreateThread", "DialogBoxParamA", "alloc",
}
# Faults that cost a stream: status 1 and a file with the other streams.
INCOMPLETE_REPORT_FAULTS = {"IStorage::CreateStream", "IStream::Write", "alloc"}


class WalkError(Exception):
    pass


def environment(plan):
    env = dict(os.environ)
    env.update({
        "TOV_MACHINE": FIXTURE,
        "TOV_FAULT": plan,
        "ASAN_OPTIONS": "detect_leaks=1:handle_abort=1:exitcode=%d" % SANITIZER_STATUS,
        "UBSAN_OPTIONS": "exitcode=%d:print_stacktrace=1" % SANITIZER_STATUS,
        "LSAN_OPTIONS": "exitcode=%d" % SANITIZER_STATUS,
    })
    return env


def run_tov(plan, folder):
    """One run in `folder`; (exit status, standard error)."""
    try:
        done = subprocess.run([TOV, "report.dat"], cwd=folder, env=environment(plan),
                              stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              timeout=RUN_SECONDS)
    except subprocess.TimeoutExpired:
        raise WalkError("%s: no end within %d seconds" % (plan, RUN_SECONDS))
    return done.returncode, done.stderr


class ReportChecks:
    """olefile and tovdump on a report; tovdump's verdict kept per content,
    since many faults leave the same bytes."""

    def __init__(self):
        self.verdicts = {}

    def check(self, plan, path, complete=True):
        ole_ok = olefile.isOleFile(path)
        if not ole_ok:
            raise WalkError("%s: olefile: not a compound file" % plan)
        ole = olefile.OleFileIO(path)
        try:
            entries = sorted("/".join(e) for e in ole.listdir(streams=True, storages=True))
        finally:
            ole.close()
        expected = entries == STREAMS if complete else set(entries) <= set(STREAMS)
        if not expected:
            raise WalkError("%s: olefile finds %s" % (plan, entries))
        with open(path, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        if digest not in self.verdicts:
            done = subprocess.run([TOVDUMP, "--summary", path], capture_output=True, text=True,
                                  timeout=RUN_SECONDS)
            self.verdicts[digest] = (done.returncode, done.stderr)
        status, stderr = self.verdicts[digest]
        if complete and status != 0:
            raise WalkError("%s: tovdump exit status %d: %s" % (plan, status, stderr.strip()))
        if not complete:
            if status not in (0, 1):
                raise WalkError("%s: tovdump exit status %d: %s" % (plan, status, stderr.strip()))
            unnamed = [name for name in STREAMS if name not in entries and name not in stderr]
            if unnamed:
                raise WalkError("%s: tovdump does not name the missing %s: %s"
                                % (plan, unnamed, stderr.strip()))


def excerpt(stderr):
    """The part of a run's standard error that tells what went wrong: from the
    first sanitizer or termination line on."""
    starts = [i for i in (stderr.find("ERROR: "), stderr.find("runtime error:"),
                          stderr.find("terminate called")) if i >= 0]
    start = max(0, stderr.rfind("\n", 0, min(starts)) + 1) if starts else max(0, len(stderr) - 3000)
    return stderr[start:start + 3000]


def check_run(plan, kind, status, stderr, folder, checks):
    if status < 0:
        raise WalkError("%s: ended by signal %d\n%s" % (plan, -status, excerpt(stderr)))
    if status == SANITIZER_STATUS or "Sanitizer" in stderr or "runtime error:" in stderr:
        raise WalkError("%s: sanitizer report\n%s" % (plan, excerpt(stderr)))
    report = os.path.join(folder, "report.dat")
    left = sorted(os.listdir(folder))
    if status == 0:
        if left != ["report.dat"]:
            raise WalkError("%s: exit status 0, files %s" % (plan, left))
        checks.check(plan, report)
    elif status == 1 and kind in INCOMPLETE_REPORT_FAULTS and left == ["report.dat"]:
        if "is incomplete" not in stderr:
            raise WalkError("%s: exit status 1 with a file, yet no word of it\n%s"
                            % (plan, excerpt(stderr)))
        checks.check(plan, report, complete=False)
    elif status == 1 and kind in NO_REPORT_FAULTS:
        if left:
            raise WalkError("%s: exit status 1, yet files %s are left" % (plan, left))
    else:
        raise WalkError("%s: exit status %d, files %s\n%s" % (plan, status, left, excerpt(stderr)))


def run_once(plan, kind, checks, failures):
    """One checked run, its failure added to `failures`; whether the fault
    fired in it."""
    folder = tempfile.mkdtemp(prefix="tov-fault-")
    try:
        status, stderr = run_tov(plan, folder)
        check_run(plan, kind, status, stderr, folder, checks)
    except WalkError as e:
        failures.append(str(e))
        return True
    finally:
        shutil.rmtree(folder)
    return FIRED.search(stderr) is not None


def walk(kind, onward, checks, failures, limit, parallel=1):
    """Runs N = 1, 2, ... (`parallel` at a time) until the fault no longer
    fires, adding each failing run to `failures`; the last N at which it
    fired."""
    n = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=parallel) as pool:
        while True:
            batch = range(n + 1, n + 1 + parallel)
            if batch[0] > limit:
                raise WalkError("%s: the fault still fires at call %d" % (kind, batch[0]))
            plans = ["%s:%d%s" % (kind, i, "+" if onward else "") for i in batch]
            fired = list(pool.map(lambda plan: run_once(plan, kind, checks, failures), plans))
            if not all(fired):
                return n + fired.index(False)
            n = batch[-1]


def count_calls():
    """The operations one clean run calls, with their counts, and its allocations."""
    folder = tempfile.mkdtemp(prefix="tov-fault-")
    try:
        status, stderr = run_tov("count", folder)
        check_run("count", "count", status, stderr, folder, ReportChecks())
    finally:
        shutil.rmtree(folder)
    calls = {}
    for line in stderr.splitlines():
        m = re.match(r"^tov: calls: (\S+) (\d+)$", line)
        if m:
            calls[m.group(1)] = int(m.group(2))
    if not calls:
        raise WalkError("the counting run printed no counts:\n%s" % stderr)
    return calls


def main():
    what = sys.argv[1]
    started = time.monotonic()
    calls = count_calls()
    allocations = calls.pop("alloc")
    checks = ReportChecks()
    failures = []
    if what == "operations":
        jobs = [(op, onward) for op in sorted(calls) for onward in (False, True)]
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            futures = {pool.submit(walk, op, onward, checks, failures, 2 * calls[op] + 10): (op, onward)
                       for op, onward in jobs}
            walked = {}
            for future, (op, onward) in futures.items():
                try:
                    walked[(op, onward)] = future.result()
                except WalkError as e:
                    failures.append(str(e))
        print("%-40s %8s %8s %8s" % ("operation", "calls", "N", "N+"))
        for op in sorted(calls):
            print("%-40s %8d %8s %8s" % (op, calls[op], walked.get((op, False), "-"),
                                         walked.get((op, True), "-")))
    elif what == "allocations":
        try:
            n = walk("alloc", False, checks, failures, 2 * allocations + 1000, parallel=2)
            print("allocations: %d counted in a clean run, %d walked" % (allocations, n))
        except WalkError as e:
            failures.append(str(e))
    else:
        sys.exit("usage: fault_walk.py operations|allocations")
    print("walk time: %.0f s" % (time.monotonic() - started))
    for failure in failures:
        print("FAIL " + failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
