"""Checks a report file: that olefile opens it as a compound file with the
five streams and nothing else, that our own loader (report_summary) reads
every stream to its end, and, given the machine fixture it was made from,
that it holds what the machine holds.

    python3 check_report.py <report> <report_summary> [<fixture.json> [<skip flags>]]
"""
import json
import subprocess
import sys

import olefile

STREAMS = ["DevMan", "EvLog_Norvan", "EvLog_Security", "EvLog_System", "Services"]
LOGS = ["System", "Norvan", "Security"]
TEN_DAYS = 864000
MOST_EVENTS = 200


class ReportError(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise ReportError(message)


def load_summary(report, summary_program, runner=()):
    """What our own loader reads from the report, as a dict."""
    done = subprocess.run([*runner, summary_program, report], capture_output=True, timeout=600)
    expect(done.returncode == 0, "report_summary failed: %s" % done.stderr.decode(errors="replace"))
    return json.loads(done.stdout)


def check_container(report, summary):
    """The compound file as olefile sees it, against what our loader read."""
    expect(olefile.isOleFile(report), "%s is not a compound file" % report)
    ole = olefile.OleFileIO(report)
    try:
        expect(ole.sector_size == 512, "sector size %d" % ole.sector_size)
        entries = sorted("/".join(e) for e in ole.listdir(streams=True, storages=True))
        expect(entries == STREAMS, "entries %s" % entries)
        for name in STREAMS:
            size = len(ole.openstream(name).read())
            loaded = summary["streams"][name]
            expect(loaded["size"] == size, "%s: olefile reads %d bytes, the loader %d" % (name, size, loaded["size"]))
            expect(loaded["used"] == size, "%s: the record ends at %d of %d bytes" % (name, loaded["used"], size))
    finally:
        ole.close()


def expected_events(fixture, log):
    """The records of a fixture log a capture keeps: the last ten days, newest first, at most 200."""
    records = fixture.get("eventLogs", {}).get(log, {}).get("records", [])
    kept = [r for r in records if r.get("ago", TEN_DAYS + 1) <= TEN_DAYS]
    return list(reversed(kept))[:MOST_EVENTS]


def check_against_fixture(summary, fixture, flags=0):
    """What the report holds, against the machine it was made on and the skip flags."""
    devman = summary["devman"]
    if flags & 0x01:
        expect(devman["computer"] is None and devman["devices"] == [], "device stage skipped, yet %s" % devman)
    else:
        expect(devman["computer"] == fixture["computer"]["name"], "computer %s" % devman["computer"])
        devices = fixture.get("devices")
        if devices is not None:
            expect([d["id"] for d in devman["devices"]] == device_ids(devices["root"]),
                   "devices %s" % [d["id"] for d in devman["devices"]])

    services = summary["services"]
    if flags & 0x02:
        expect(services == [], "services stage skipped, yet %d services" % len(services))
    else:
        names = list(fixture.get("services", {}))
        expect([s["name"] for s in services] == names, "services %s" % [s["name"] for s in services][:10])
        for s, name in zip(services, names):
            display = fixture["services"][name].get("displayName", name)
            expect(s["displayName"] == display, "%s: display name %s" % (name, s["displayName"]))

    skipped = {"System": flags & 0x04, "Norvan": flags & 0x08, "Security": flags & 0x48}
    for log, loaded in zip(LOGS, summary["logs"]):
        expect(loaded["name"] == log, "log name %s" % loaded["name"])
        events = [] if skipped[log] else expected_events(fixture, log)
        got = [(e["eventId"], e["source"]) for e in loaded["events"]]
        want = [(r["eventId"], r.get("source", "")) for r in events]
        expect(loaded["count"] == len(want) and got == want, "%s: events %s, expected %s" % (log, got[:5], want[:5]))


def device_ids(node, out=None):
    """Instance IDs of a fixture's device tree in pre-order."""
    out = [] if out is None else out
    out.append(node["id"])
    for child in node.get("children", []):
        device_ids(child, out)
    return out


def main():
    report, summary_program = sys.argv[1], sys.argv[2]
    summary = load_summary(report, summary_program)
    check_container(report, summary)
    if len(sys.argv) > 3:
        with open(sys.argv[3]) as f:
            fixture = json.load(f)
        check_against_fixture(summary, fixture, int(sys.argv[4], 0) if len(sys.argv) > 4 else 0)
    print("%s: five streams, each read to its end" % report)


if __name__ == "__main__":
    try:
        main()
    except ReportError as e:
        sys.exit("check_report: %s" % e)
