"""Checks a report file: that olefile opens it as a compound file with the
five streams and nothing else, that the reader tovdump reads every stream to
its end, and, given the machine fixture it was made from, that it holds what
the machine holds. Also the frame the end-to-end scenarios share.

    python3 check_report.py <report> <tovdump> [<fixture.json> [<skip flags>]]
"""
import json
import os
import subprocess
import sys
import tempfile

import olefile

STREAMS = ["DevMan", "EvLog_Norvan", "EvLog_Security", "EvLog_System", "Services"]
LOGS = ["System", "Norvan", "Security"]
TEN_DAYS = 864000
MOST_EVENTS = 200


class ReportError(Exception):
    pass


def fail(message):
    raise ReportError(message)


def expect(condition, message):
    if not condition:
        fail(message)


def run_scenario(scenarios, prefix):
    """Runs the scenario named on the command line in a fresh folder of its
    own, and exits with its failure, if any."""
    name = sys.argv[1]
    with tempfile.TemporaryDirectory(prefix=prefix) as folder:
        os.chdir(folder)
        try:
            scenarios[name]()
        except ReportError as e:
            sys.exit("%s: %s" % (name, e))
        finally:
            os.chdir("/")
    print("%s: passed" % name)


def run_dump(dump_program, *args, runner=(), codepage="28591"):
    """tovdump's output; it must succeed. Texts are read as ISO-8859-1 unless
    said otherwise, so each byte of a report's text is the character of the
    same number."""
    command = ["diff", *args[1:]] if args and args[0] == "diff" else list(args)
    command[1 if args and args[0] == "diff" else 0:0] = ["--codepage", codepage]
    done = subprocess.run([*runner, dump_program, *command], capture_output=True, timeout=600)
    expect(done.returncode == 0, "tovdump %s failed: %s" % (" ".join(args), done.stderr.decode(errors="replace")))
    # The Windows build writes its lines with CR LF.
    return done.stdout.decode("utf-8").replace("\r\n", "\n")


def load_summary(report, dump_program, runner=()):
    """What tovdump reads from the report, as a dict of the values the
    checks compare."""
    return summary_from_dump(json.loads(run_dump(dump_program, report, runner=runner)))


def summary_from_dump(dump):
    streams = dump["streams"]
    for name, stream in streams.items():
        expect(stream["status"] == "loaded" and "error" not in stream, "%s: %s" % (name, stream))
    record = {name: stream["record"] for name, stream in streams.items()}
    devman = record["DevMan"]
    devices, todo = [], [(d, None) for d in reversed(devman["devices"])]
    while todo:  # pre-order, as the tree is walked
        device, parent = todo.pop()
        devices.append({"id": device["device_id"], "parent": parent, "description": device["device_desc"],
                        "driverFiles": device["driver_files"]})
        todo.extend((child, device["device_id"]) for child in reversed(device["children"]))
    info = devman["system_info"]
    services = [{"name": s["service_name"], "displayName": s["display_name"], "binaryPath": s["binary_path_name"],
                 "fileVersion": s["ver_info"]["file_version"] if s["ver_info"] else None}
                for s in record["Services"]["services"]]
    logs = []
    for name in ("EvLog_System", "EvLog_Norvan", "EvLog_Security"):
        log = record[name]
        events = [{"eventId": (e["record"] or {}).get("event_id", 0), "source": (e["record"] or {}).get("source", ""),
                   "message": e["message"], "category": e["category"], "user": e["user"]} for e in log["events"]]
        logs.append({"name": log["log_name"], "count": log["count"], "events": events})
    return {"streams": {name: {"size": s["bytes"], "used": s["bytes"]} for name, s in streams.items()},
            "devman": {"version": devman["cm_version"], "state": devman["global_state"],
                       "computer": info["computer_name"] if info else None, "devices": devices},
            "services": services, "logs": logs}


def check_container(report, summary):
    """The compound file as olefile sees it, against what tovdump read."""
    expect(olefile.isOleFile(report), "%s is not a compound file" % report)
    ole = olefile.OleFileIO(report)
    try:
        expect(ole.sector_size == 512, "sector size %d" % ole.sector_size)
        entries = sorted("/".join(e) for e in ole.listdir(streams=True, storages=True))
        expect(entries == STREAMS, "entries %s" % entries)
        for name in STREAMS:
            size = len(ole.openstream(name).read())
            loaded = summary["streams"][name]
            expect(loaded["size"] == size, "%s: olefile reads %d bytes, tovdump %d" % (name, size, loaded["size"]))
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
    report, dump_program = sys.argv[1], sys.argv[2]
    summary = load_summary(report, dump_program)
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
