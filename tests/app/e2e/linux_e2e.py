"""End-to-end runs of the Linux program on machine fixtures and on a captured
Linux tree: the report it writes (checked by olefile and by our own loader
against the fixture by the reader tovdump, whose summary and diff are
checked too), its exit statuses, its messages,
Ctrl-C, and its keys on a terminal.

    python3 linux_e2e.py <scenario>

TOV_BIN names the program, TOV_DUMP the reader tovdump, TOV_FIXTURES the
fixtures folder. Each scenario runs in a
fresh folder of its own.
"""
import fcntl
import json
import os
import pty
import select
import signal
import subprocess
import tempfile
import termios
import time

import check_report
import make_big_machine

TOV = os.environ["TOV_BIN"]
DUMP = os.environ["TOV_DUMP"]
FIXTURES = os.environ["TOV_FIXTURES"]
FULL = os.path.join(FIXTURES, "full_machine.json")

STAGE_LINES = [
    "Collecting Device Manager information...",
    "Collecting Services information...",
    "Collecting events from System Events Log...",
    "Collecting events from Norvan Events Log...",
    "Collecting events from Security Events Log...",
    "Collecting detailed Device Manager information...",
]
USAGE_START = "tov: Usage: tov [/hwnd:<parentwnd>] [/sdm] [/sdd] [/ssr] [/sse] [/see] [/sce] <filename>\n\nWhere:\n"


fail = check_report.fail


def run(args, machine=FULL, live_root=None, **kw):
    env = dict(os.environ)
    env.pop("TOV_MACHINE", None)
    env.pop("TOV_LIVE_ROOT", None)
    if machine is not None:
        env["TOV_MACHINE"] = machine
    if live_root is not None:
        env["TOV_LIVE_ROOT"] = live_root
    return subprocess.run([TOV, *args], env=env, capture_output=True, text=True, timeout=300, **kw)


def expect_run(done, status, stderr=None):
    if done.returncode != status:
        fail("exit status %d, expected %d; stderr:\n%s" % (done.returncode, status, done.stderr))
    if stderr is not None and done.stderr != stderr:
        fail("stderr:\n%r\nexpected:\n%r" % (done.stderr, stderr))


def expect_empty_folder():
    left = os.listdir(".")
    if left:
        fail("files left behind: %s" % left)


def full():
    done = run(["report.dat"])
    expect_run(done, 0, "".join(line + "\n" for line in STAGE_LINES))
    summary = check_report.load_summary("report.dat", DUMP)
    check_report.check_container("report.dat", summary)
    with open(FULL) as f:
        check_report.check_against_fixture(summary, json.load(f))
    # Texts rendered from the machine's message files, accounts and versions.
    system, norvan, security = summary["logs"]
    newest = system["events"][0]
    if (newest["message"], newest["user"]) != ("The Print Spooler service entered the running state.",
                                               "NT AUTHORITY\\SYSTEM"):
        fail("System event texts %s" % newest)
    scan = norvan["events"][0]
    if (scan["message"], scan["category"]) != ("Scan of C: finished: 2 threats.", "Scanning"):
        fail("Norvan event texts %s" % scan)
    files = {d["id"]: d["driverFiles"] for d in summary["devman"]["devices"] if d["driverFiles"]}
    if files != {"PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086&REV_02\\3&267A616A&0&18":
                 "C:\\WINDOWS\\system32\\DRIVERS\\e1000.sys\nC:\\WINDOWS\\system32\\e1000msg.dll"}:
        fail("driver files %s" % files)
    versions = {s["name"]: s["fileVersion"] for s in summary["services"]}
    if versions != {"disk": "5.1.2600.0 (xpsp.080413-2111)", "Spooler": "5.1.2600.5512", "NoImage": None}:
        fail("service versions %s" % versions)
    # The summary a person reads first.
    text = dump("--summary", "report.dat")
    starts = ["computer: %s (" % summary["devman"]["computer"], "devices: %d," % len(summary["devman"]["devices"]),
              "services: %d (" % len(summary["services"])]
    starts += ["events %s: %d" % (log["name"], len(log["events"])) for log in summary["logs"]]
    lines = text.splitlines()
    missing = [start for start in starts if not any(line.startswith(start) for line in lines)]
    if missing:
        fail("summary lacks %s:\n%s" % (missing, text))


def skips():
    done = run(["/ssr", "-SSE:yes", "/sce", "/sdd", "report.dat"])
    expect_run(done, 0, STAGE_LINES[0] + "\n")
    summary = check_report.load_summary("report.dat", DUMP)
    check_report.check_container("report.dat", summary)
    with open(FULL) as f:
        fixture = json.load(f)
    check_report.check_against_fixture(summary, fixture, 0x02 | 0x04 | 0x48 | 0x10)
    if any(d["driverFiles"] for d in summary["devman"]["devices"]):
        fail("driver files without the detail pass")
    # What the skipped stages left out, as tovdump's diff from a full report.
    expect_run(run(["full.dat"]), 0)
    diff = json.loads(dump("diff", "--json", "full.dat", "report.dat"))
    if diff["services"]["removed"] != list(fixture["services"]) or diff["services"]["added"]:
        fail("services diff %s" % diff["services"])
    for log in check_report.LOGS:  # every log was skipped
        removed = diff["events " + log]["removed"]
        want = len(check_report.expected_events(fixture, log))
        if len(removed) != want or diff["events " + log]["added"]:
            fail("events %s diff %s, expected %d removed" % (log, diff["events " + log], want))
    if diff["devices"]["added"] or diff["devices"]["removed"]:
        fail("devices diff %s" % diff["devices"])


def replace():
    with open("report.dat", "wb") as old:
        old.write(b"x" * 200000)
    expect_run(run(["report.dat"]), 0)
    summary = check_report.load_summary("report.dat", DUMP)
    check_report.check_container("report.dat", summary)


def relative():
    os.mkdir("out")
    expect_run(run(["out/../out/report.dat"]), 0)
    check_report.check_container("out/report.dat", check_report.load_summary("out/report.dat", DUMP))


def usage():
    for args in ([], ["a.dat", "b.dat"], ["/sdm", "-ssr"], ["/tmp/absolute.dat"], [""], ["x" * 260]):
        done = run(args)
        expect_run(done, 2)
        if not done.stderr.startswith(USAGE_START) or not done.stderr.endswith("/sce - skip Security event log\n"):
            fail("usage message for %s:\n%s" % (args[:2], done.stderr))
        expect_empty_folder()


def missing_folder():
    done = run(["nowhere/report.dat"])
    expect_run(done, 1)
    stages = "".join(line + "\n" for line in STAGE_LINES)
    reason = done.stderr[len(stages):]
    if not done.stderr.startswith(stages) or not reason.startswith(
            'tov: cannot create the report file "nowhere/report.dat": '):
        fail("stderr:\n%s" % done.stderr)
    expect_empty_folder()


def no_machine():
    done = run(["report.dat"], machine="missing.json")
    expect_run(done, 1)
    if "missing.json" not in done.stderr:
        fail("the missing fixture is not named: %s" % done.stderr)
    done = run(["report.dat"], machine=None, live_root="missing-root")
    expect_run(done, 1)
    if "missing-root: TOV_LIVE_ROOT is not a folder" not in done.stderr:
        fail("the missing live root is not named: %s" % done.stderr)
    expect_empty_folder()


def dump(*args):
    return check_report.run_dump(DUMP, *args, codepage="65001")


def live_root():
    """Without TOV_MACHINE the program reports on the Linux system below
    TOV_LIVE_ROOT: here the tree captured from a real machine."""
    done = run(["report.dat"], machine=None, live_root=os.path.join(FIXTURES, "live_root"))
    expect_run(done, 0, "".join(line + "\n" for line in STAGE_LINES))
    check_report.check_container("report.dat", check_report.load_summary("report.dat", DUMP))
    summary = dump("--summary", "report.dat")
    if "computer: VM (Windows directory /usr)" not in summary:
        fail("system record in the summary:\n%s" % summary)
    devman = json.loads(dump("--stream", "DevMan", "report.dat"))["streams"]["DevMan"]["record"]
    devices = {}
    todo = list(devman["devices"])
    while todo:
        device = todo.pop()
        devices[device["device_id"]] = device
        todo.extend(device["children"])
    if len(devices) != 11:
        fail("%d devices: %s" % (len(devices), sorted(devices)))
    adapter = devices.get("PCI\\VEN_1AF4&DEV_1041&SUBSYS_10411AF4&REV_01\\0000:00:03.0")
    if adapter is None:
        fail("no network adapter: %s" % sorted(devices))
    got = {key: adapter[key] for key in ("device_desc", "mfg", "service", "class_name", "pci_address",
                                         "status", "problem")}
    want = {"device_desc": "Virtio 1.0 network device", "mfg": "Red Hat, Inc.", "service": "virtio-pci",
            "class_name": "Net", "pci_address": 0x18, "status": 0x0A, "problem": 0}
    if got != want:
        fail("network adapter %s, expected %s" % (got, want))
    memory = adapter["log_confs"][0]["res_des"][0]["data"]
    if (memory["kind"], memory["alloc_base"], memory["alloc_end"]) != ("memory", 0x4000100000, 0x400017FFFF):
        fail("network adapter memory %s" % memory)


def big_machine(services=20000, devices=0):
    path = os.path.join(tempfile.gettempdir(), "tov-big-machine-%d.json" % os.getpid())
    with open(path, "w") as out:
        json.dump(make_big_machine.big_machine(services, 100, devices), out)
    return path


def interrupt():
    machine = big_machine()
    try:
        env = dict(os.environ, TOV_MACHINE=machine)
        with open("stderr.txt", "w") as err:
            proc = subprocess.Popen([TOV, "report.dat"], env=env, stderr=err)
            if not wait_for_text("stderr.txt", STAGE_LINES[1], proc):
                fail("the services stage never began")
            proc.send_signal(signal.SIGINT)
            status = proc.wait(timeout=300)
        if status != 128 + signal.SIGINT:
            fail("exit status %d after Ctrl-C" % status)
        os.remove("stderr.txt")
        expect_empty_folder()
    finally:
        os.remove(machine)


def wait_for_text(path, text, proc, limit=300):
    end = time.time() + limit
    while time.time() < end and proc.poll() is None:
        with open(path) as f:
            if text in f.read():
                return True
        time.sleep(0.02)
    return False


class Terminal:
    """The program on a pseudo-terminal: stdin, stdout and stderr are the terminal."""

    def __init__(self, args, machine):
        env = dict(os.environ, TOV_MACHINE=machine, TERM="xterm")
        self.master, slave = pty.openpty()
        os.set_blocking(self.master, False)
        # A session of its own with the terminal as its controlling terminal,
        # so Ctrl-C typed there reaches it as SIGINT.
        self.proc = subprocess.Popen([TOV, *args], env=env, stdin=slave, stdout=slave, stderr=slave,
                                     start_new_session=True,
                                     preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        os.close(slave)
        self.output = b""

    def read_until(self, text, limit=300):
        end = time.time() + limit
        while time.time() < end:
            if text.encode() in self.output:
                return True
            ready, _, _ = select.select([self.master], [], [], 0.1)
            if ready:
                try:
                    self.output += os.read(self.master, 65536)
                except OSError:
                    return text.encode() in self.output
        return False

    def press(self, keys):
        os.write(self.master, keys.encode())

    def finish(self, limit=300):
        status = self.proc.wait(timeout=limit)
        self.read_until("\0", limit=0.5)  # whatever is left
        os.close(self.master)
        return status


def terminal_keys():
    machine = big_machine()
    try:
        term = Terminal(["report.dat"], machine)
        if not term.read_until(STAGE_LINES[1]):
            fail("no services stage on the terminal: %r" % term.output[-300:])
        term.press("\x1b")  # Escape does not end the progress window
        term.press("a")     # the window menu's About entry
        if not term.read_until("About Zeltrack") or not term.read_until("1.1.01.0"):
            fail("no About box: %r" % term.output[-500:])
        if not term.read_until("[o] OK"):
            fail("the About box offers no key: %r" % term.output[-500:])
        time.sleep(3)  # the run ends meanwhile; the program waits for the About box
        if term.proc.poll() is not None:
            fail("the program ended while its About box was open")
        term.press("\r")    # Enter: the About box's default button
        status = term.finish()
        if status != 0:
            fail("exit status %d; output %r" % (status, term.output[-500:]))
        if b"\x1b[?25l" not in term.output or not term.output.rstrip(b"\r\n").endswith(b"\x1b[?25h"):
            fail("the cursor is not given back: %r" % term.output[-200:])
        check_report.check_container("report.dat", check_report.load_summary("report.dat", DUMP))
    finally:
        os.remove(machine)


def terminal_skip():
    devices = 20000
    machine = big_machine(services=100, devices=devices)
    try:
        term = Terminal(["report.dat"], machine)
        if not term.read_until(STAGE_LINES[5]) or not term.read_until("[s] Skip"):
            fail("no detail pass with a Skip key: %r" % term.output[-300:])
        term.press("s")
        status = term.finish()
        if status != 0:
            fail("exit status %d" % status)
        summary = check_report.load_summary("report.dat", DUMP)
        with_files = [d["id"] for d in summary["devman"]["devices"] if d["driverFiles"]]
        # Skip may come before the first device with a driver: none is fine.
        if len(with_files) >= devices // 2:
            fail("%d of %d devices got their driver files after Skip" % (len(with_files), devices))
    finally:
        os.remove(machine)


def terminal_ctrl_c():
    machine = big_machine()
    try:
        term = Terminal(["report.dat"], machine)
        if not term.read_until(STAGE_LINES[1]):
            fail("no services stage on the terminal")
        term.press("\x03")  # Ctrl-C, delivered as SIGINT by the terminal
        status = term.finish()
        if status != 128 + signal.SIGINT:
            fail("exit status %d after Ctrl-C" % status)
        if not term.output.endswith(b"\x1b[?25h"):
            fail("the cursor is not given back: %r" % term.output[-100:])
        expect_empty_folder()
    finally:
        os.remove(machine)


SCENARIOS = {f.__name__: f for f in (full, skips, replace, relative, usage, missing_folder, no_machine,
                                     live_root, interrupt, terminal_keys, terminal_skip, terminal_ctrl_c)}


if __name__ == "__main__":
    check_report.run_scenario(SCENARIOS, "tov-e2e-")
