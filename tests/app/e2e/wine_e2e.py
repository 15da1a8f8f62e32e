"""End-to-end runs of tov.exe under Wine on an X display (run inside
tests/app/with-xvfb): the report it writes on Wine's system, its progress
window and About box (screenshots saved, titles and controls checked by
window_probe), the usage box, the owner window given with /hwnd, and report
files crossing between the builds.

    python3 wine_e2e.py <scenario>

Environment: TOV_WINE_RUN (tests/wine/wine-run), TOV_EXE, TOV_PROBE,
TOV_DUMP_EXE (the reader built for Windows), TOV_SCREENSHOTS (folder for
the pictures), and from a Linux build, when there is one: TOV_NATIVE_TOV,
TOV_NATIVE_DUMP, TOV_FIXTURES.
"""
import json
import os
import queue
import subprocess
import sys
import threading
import time

import check_report

WINE_RUN = os.environ["TOV_WINE_RUN"]
TOV_EXE = os.environ["TOV_EXE"]
PROBE = os.environ["TOV_PROBE"]
DUMP_EXE = os.environ["TOV_DUMP_EXE"]
SHOTS = os.environ["TOV_SCREENSHOTS"]
SKIPPED = 77

VERSION_TEXT = ("tov configuration snapshot for problem reports\n1.1.01.0\n\n"
                "Copyright (C) The tov developers")
USAGE_TEXT = ("Usage: tov [/hwnd:<parentwnd>] [/sdm] [/sdd] [/ssr] [/sse] [/see] [/sce] <filename>\n\n"
              "Where:\nfilename - file name where to save system information\n"
              "parentwnd - handle of parent window\n/sdm - skip Device Manager information\n"
              "/sdd - skip Device Manager detailed information\n/ssr - skip Services information\n"
              "/sse - skip System event log\n/see - skip Norvan event log\n/sce - skip Security event log")
SS_ICON = 0x3
BS_DEFPUSHBUTTON = 0x1
WS_EX_APPWINDOW = 0x40000
WM_COMMAND = 0x111


fail = check_report.fail


class Program:
    """A Windows program under Wine, its output lines collected as they come."""

    def __init__(self, *args, stdin=False):
        self.proc = subprocess.Popen([WINE_RUN, *args], stdin=subprocess.PIPE if stdin else subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.out, self.err = queue.Queue(), queue.Queue()
        for stream, lines in ((self.proc.stdout, self.out), (self.proc.stderr, self.err)):
            threading.Thread(target=lambda s=stream, q=lines: [q.put(l) for l in s], daemon=True).start()

    def line(self, lines, expected=None, limit=120):
        """The next line of output that holds `expected`."""
        end = time.time() + limit
        while time.time() < end:
            try:
                line = lines.get(timeout=0.5)
            except queue.Empty:
                continue
            if expected is None or expected in line:
                return line
        fail("no line %r from %s" % (expected, self.proc.args[1:]))

    def json(self, limit=120):
        text, end = "", time.time() + limit
        while time.time() < end:
            text += self.line(self.out, limit=max(1, end - time.time()))
            try:
                return json.loads(text)
            except ValueError:
                continue
        fail("no description from %s" % (self.proc.args[1:],))

    def say(self, text):
        self.proc.stdin.write(text + "\n")
        self.proc.stdin.flush()

    def wait(self, limit=300):
        return self.proc.wait(timeout=limit)


def probe(*args, stdin=False):
    """window_probe, once it is looking for windows."""
    p = Program(PROBE, *args, stdin=stdin)
    if args[0] != "host":
        p.line(p.err, "waiting")
    return p


def screenshot(name, window=None):
    """Saves the screen, or the part a window takes (its rectangle as the
    probe read it), as a PNG and checks that it is a picture, not a blank."""
    os.makedirs(SHOTS, exist_ok=True)
    path = os.path.join(SHOTS, name + ".png")
    xwd = subprocess.run(["xwd", "-silent", "-root"], capture_output=True, timeout=30)
    if xwd.returncode != 0:
        fail("xwd failed for %s" % name)
    crop = []
    if window is not None:
        left, top, right, bottom = window["rect"]
        crop = ["-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage"]
    subprocess.run(["/usr/bin/convert", "xwd:-", *crop, path], input=xwd.stdout, check=True, timeout=60)
    colours = subprocess.run(["/usr/bin/convert", path, "-format", "%k", "info:"], capture_output=True,
                             text=True, timeout=60).stdout.strip()
    if int(colours or 0) < 8:
        fail("%s holds %s colours: not a window" % (path, colours))
    return path


def control(dialog, control_id):
    for c in dialog["controls"]:
        if c["id"] == control_id:
            return c
    fail("%s has no control %d: %s" % (dialog["caption"], control_id, dialog["controls"]))


def check_progress_window(dialog):
    if dialog["caption"] != "tov" or not dialog["exStyle"] & WS_EX_APPWINDOW:
        fail("progress window %s" % dialog)
    expected = {1001: "static", 1002: "static", 1000: "msctls_progress32", 1003: "button"}
    for control_id, window_class in expected.items():
        if control(dialog, control_id)["class"].lower() != window_class:
            fail("control %d is %s" % (control_id, control(dialog, control_id)["class"]))
    skip = control(dialog, 1003)
    if skip["text"] != "Skip" or not skip["style"] & BS_DEFPUSHBUTTON:
        fail("Skip button %s" % skip)


def check_about_box(about, progress):
    if about["caption"] != "About Zeltrack":
        fail("About box caption %r" % about["caption"])
    if about["owner"] != progress["handle"]:
        fail("the About box is owned by %d, not the progress window %d" % (about["owner"], progress["handle"]))
    if control(about, 1004)["text"] != VERSION_TEXT:
        fail("version text %r" % control(about, 1004)["text"])
    ok = control(about, 1)
    if ok["text"] != "OK" or ok["class"].lower() != "button":
        fail("OK button %s" % ok)
    if not any(c["class"].lower() == "static" and c["style"] & 0x1F == SS_ICON for c in about["controls"]):
        fail("no icon in the About box")


def native_dump():
    native = os.environ.get("TOV_NATIVE_DUMP")
    return native if native and os.path.exists(native) else None


def summaries(report):
    """The report as tovdump reads it through Wine's ole32, and through
    libgsf when the Linux build is there: its JSON and its summary alike."""
    wine = check_report.run_dump(DUMP_EXE, report, runner=[WINE_RUN])
    wine_text = check_report.run_dump(DUMP_EXE, "--summary", report, runner=[WINE_RUN])
    if native_dump():
        if check_report.run_dump(native_dump(), report) != wine:
            fail("libgsf and ole32 read the report differently")
        if check_report.run_dump(native_dump(), "--summary", report) != wine_text:
            fail("the summary differs between the builds:\n%s" % wine_text)
    return check_report.summary_from_dump(json.loads(wine))


def run_with_about():
    """A run on Wine's system with its About box opened from the window menu
    while it collects. A run on Wine lasts well under a second, so the probe
    holds the run's other threads (the worker) while the pictures are taken,
    and lets it go on once the About box is open."""
    watcher = probe("about", stdin=True)
    tov = Program(TOV_EXE, "report.dat")
    progress = watcher.json()
    check_progress_window(progress)
    time.sleep(0.5)  # let it paint
    screenshot("progress_window", progress)
    watcher.say("about")
    about = watcher.json()
    check_about_box(about, progress)
    time.sleep(0.5)
    screenshot("about_box", about)
    screenshot("screen_with_about_box")
    watcher.say("go on")
    # The run ends while the About box is open; the program waits for it.
    time.sleep(3)
    if tov.proc.poll() is not None:
        fail("tov.exe ended while its About box was open")
    watcher.say("close")
    status = tov.wait()
    if status != 0 or watcher.wait() != 0:
        fail("exit status %d" % status)
    summary = summaries("report.dat")
    check_report.check_container("report.dat", summary)
    if not summary["services"] or summary["devman"]["computer"] is None:
        fail("nothing collected from Wine's system: %s" % summary["devman"])


def usage_box():
    box = probe("show", "tov", "120000")
    tov = Program(TOV_EXE, "/sdm")
    dialog = box.json()
    if box.wait() != 0:
        fail("no usage box")
    texts = [c["text"] for c in dialog["controls"]]
    if dialog["caption"] != "tov" or USAGE_TEXT not in texts:
        fail("usage box %s" % dialog)
    time.sleep(0.5)  # placed and painted by now
    screenshot("usage_box", probe("show", "tov").json())
    Program(PROBE, "post", "tov", str(WM_COMMAND), "1").wait()
    if tov.wait() != 2:
        fail("exit status %d after the usage box" % tov.proc.returncode)
    if os.listdir("."):
        fail("files written: %s" % os.listdir("."))


def owner_window():
    host = Program(PROBE, "host", stdin=True)
    owner = int(host.line(host.out).strip(), 16)
    shown = probe("show", "tov", "120000")
    tov = Program(TOV_EXE, "/hwnd:%X" % owner, "report.dat")
    dialog = shown.json()
    if dialog["owner"] != owner:
        fail("the progress window is owned by %d, not by %d" % (dialog["owner"], owner))
    if tov.wait() != 0 or not os.path.exists("report.dat"):
        fail("no report with an owner window")
    host.proc.stdin.close()
    host.wait()
    # A handle that names no window: the window cannot be made, nothing is written.
    if Program(TOV_EXE, "/hwnd:7FFFFFF0", "second.dat").wait() != 1 or os.path.exists("second.dat"):
        fail("a report was written without its progress window")


def linux_report():
    """Reports written on Linux, read by Wine's ole32 as libgsf reads them."""
    native_tov = os.environ.get("TOV_NATIVE_TOV")
    if not native_tov or not os.path.exists(native_tov):
        print("linux_report: no Linux build to take a report from")
        sys.exit(SKIPPED)
    fixture = os.path.join(os.environ["TOV_FIXTURES"], "full_machine.json")
    for args in (["linux.dat"], ["/ssr", "fewer.dat"]):
        done = subprocess.run([native_tov, *args], env=dict(os.environ, TOV_MACHINE=fixture),
                              capture_output=True, timeout=120)
        if done.returncode != 0:
            fail("the Linux program failed: %s" % done.stderr)
    summary = summaries("linux.dat")
    with open(fixture) as f:
        check_report.check_against_fixture(summary, json.load(f))
    # The two reports compared by both builds of the reader.
    wine = check_report.run_dump(DUMP_EXE, "diff", "linux.dat", "fewer.dat", runner=[WINE_RUN])
    if native_dump() and check_report.run_dump(native_dump(), "diff", "linux.dat", "fewer.dat") != wine:
        fail("the diff differs between the builds:\n%s" % wine)
    removed = "services: 0 added, %d removed, 0 changed" % len(summary["services"])
    if removed not in wine:
        fail("diff without %r:\n%s" % (removed, wine))


SCENARIOS = {f.__name__: f for f in (run_with_about, usage_box, owner_window, linux_report)}


if __name__ == "__main__":
    check_report.run_scenario(SCENARIOS, "tov-wine-e2e-")
