#!/usr/bin/env python3
"""The live machine on the host the tests run on: runs the program without
TOV_MACHINE, reads the report with tovdump, and checks it against what
`lspci -n -k` and sysfs say: every PCI device with its vendor, device,
subsystem and revision IDs, its class, its driver and its PCI address, and
one device node for every device of /sys/devices.

    TOV_BIN=... TOV_DUMP=... python3 live_pci_check.py

Exits with 77 (skipped) where the host has no /sys/bus/pci.
"""
import json
import os
import re
import subprocess
import sys
import tempfile

SKIPPED = 77


def fail(message):
    sys.exit("live_pci_check: " + message)


def lspci_devices():
    """(slot, class, vendor, device, revision, subsystem vendor, subsystem device, driver) per device."""
    done = subprocess.run(["lspci", "-D", "-n", "-k"], capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        fail("lspci failed: %s" % done.stderr)
    devices = []
    head = re.compile(r"^([0-9a-f]{4}):([0-9a-f]{2}):([0-9a-f]{2})\.([0-7]) ([0-9a-f]{4}): "
                      r"([0-9a-f]{4}):([0-9a-f]{4})(?: \(rev ([0-9a-f]{2})\))?")
    for line in done.stdout.splitlines():
        match = head.match(line)
        if match:
            domain, bus, slot, function, cls, vendor, device, rev = match.groups()
            devices.append({"slot": "%s:%s:%s.%s" % (domain, bus, slot, function), "bus": int(bus, 16),
                            "device": int(slot, 16), "function": int(function), "class": cls,
                            "vendor": vendor, "device_id": device, "rev": rev or "00",
                            "subsystem": ("0000", "0000"), "driver": ""})
        elif line.startswith("\tSubsystem: ") and devices:
            sub_vendor, sub_device = line.split(": ", 1)[1].strip().split(":")
            devices[-1]["subsystem"] = (sub_vendor, sub_device)
        elif line.startswith("\tKernel driver in use: ") and devices:
            devices[-1]["driver"] = line.split(": ", 1)[1].strip()
    return devices


def report_devices(tov, tovdump):
    env = {k: v for k, v in os.environ.items() if k not in ("TOV_MACHINE", "TOV_LIVE_ROOT")}
    with tempfile.TemporaryDirectory(prefix="tov-live-") as folder:
        report = os.path.join(folder, "live.dat")
        done = subprocess.run([tov, "live.dat"], cwd=folder, env=env, capture_output=True, text=True,
                              timeout=300)
        if done.returncode != 0:
            fail("tov ended with status %d: %s" % (done.returncode, done.stderr))
        done = subprocess.run([tovdump, "--codepage", "65001", "--stream", "DevMan", report],
                              capture_output=True, text=True, timeout=300)
        if done.returncode != 0:
            fail("tovdump ended with status %d: %s" % (done.returncode, done.stderr))
    todo = list(json.loads(done.stdout)["streams"]["DevMan"]["record"]["devices"])
    devices = {}
    while todo:
        device = todo.pop()
        devices[device["device_id"]] = device
        todo.extend(device["children"])
    return devices


def sysfs_device_count():
    count = 0
    for folder, subfolders, files in os.walk("/sys/devices"):
        if "uevent" in files:
            count += 1
    return count


def main():
    if not os.path.isdir("/sys/bus/pci/devices"):
        print("live_pci_check: no /sys/bus/pci on this host: skipped")
        sys.exit(SKIPPED)
    devices = report_devices(os.environ["TOV_BIN"], os.environ["TOV_DUMP"])
    pci = lspci_devices()
    if len(pci) != len(os.listdir("/sys/bus/pci/devices")):
        fail("lspci lists %d devices, /sys/bus/pci %d" % (len(pci), len(os.listdir("/sys/bus/pci/devices"))))
    for d in pci:
        ids = "PCI\\VEN_%s&DEV_%s&SUBSYS_%s%s&REV_%s" % (
            d["vendor"], d["device_id"], d["subsystem"][1], d["subsystem"][0], d["rev"])
        instance = ids.upper() + "\\" + d["slot"]
        node = devices.get(instance)
        if node is None:
            fail("%s (%s) is not in the report" % (d["slot"], instance))
        want = {"service": d["driver"], "enumerator_name": "PCI",
                "location_info": "PCI bus %d, device %d, function %d" % (d["bus"], d["device"], d["function"]),
                "pci_address": d["bus"] << 8 | d["device"] << 3 | d["function"]}
        got = {key: node[key] for key in want}
        if got != want:
            fail("%s: %s, expected %s" % (d["slot"], got, want))
        class_id = "PCI\\VEN_%s&DEV_%s&CC_%s" % (d["vendor"], d["device_id"], d["class"])
        if class_id.upper() not in node["hardware_ids"].split("\n"):
            fail("%s: no %s among the hardware IDs %r" % (d["slot"], class_id.upper(), node["hardware_ids"]))
    in_sysfs = sysfs_device_count()
    if len(devices) != in_sysfs + 1:
        fail("%d device nodes for %d sysfs devices and the root" % (len(devices), in_sysfs))
    print("live_pci_check: %d PCI devices and %d device nodes match" % (len(pci), len(devices)))


if __name__ == "__main__":
    main()
