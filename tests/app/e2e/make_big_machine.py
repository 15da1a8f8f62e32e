"""Writes a machine fixture with many services and events, so that a run of
the program lasts long enough to be interrupted or to have its windows and
keys used while it collects.

    python3 make_big_machine.py <out.json> [<services> [<events per log> [<devices>]]]
"""
import json
import os
import sys

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fixtures")


def big_machine(services, events, devices=0):
    with open(os.path.join(FIXTURES, "full_machine.json")) as base:
        machine = json.load(base)
    for i in range(services):
        machine["services"]["svc%05d" % i] = {
            "displayName": "Generated service %d" % i,
            "type": "WIN32_OWN_PROCESS",
            "state": "RUNNING" if i % 2 else "STOPPED",
            "imagePath": "%SystemRoot%\\system32\\spoolsv.exe",
            "description": "Service number %d." % i,
        }
    # Devices like the network adapter of the base machine, each with its
    # driver, so the detail pass has work for every one.
    nic = machine["devices"]["root"]["children"][0]["children"][0]
    for i in range(devices):
        device = json.loads(json.dumps(nic))
        device["id"] = "PCI\\VEN_8086&DEV_100E\\GEN&%05d" % i
        device["properties"]["DEVICEDESC"] = "Generated adapter %d" % i
        machine["devices"]["root"]["children"].append(device)
    for log in ("System", "Norvan", "Security"):
        records = machine["eventLogs"][log]["records"]
        for i in range(events):
            records.append({"eventId": 7036, "source": "Service Control Manager", "ago": 5000 - i,
                            "strings": ["svc%05d" % i, "running"], "user": "S-1-5-18"})
    return machine


def main():
    services = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
    events = int(sys.argv[3]) if len(sys.argv) > 3 else 2000
    devices = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    with open(sys.argv[1], "w") as out:
        json.dump(big_machine(services, events, devices), out)


if __name__ == "__main__":
    main()
