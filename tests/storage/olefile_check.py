"""Checks that a sample compound file opens in olefile with the expected streams."""
import sys

import olefile


def sample_streams():
    every = bytes(range(256))
    big = bytes(ord('A') + i % 23 for i in range(70000))
    return {
        "DevMan": b"",
        "Services": b"\x01\x02\x03",
        "EvLog_System": b"x" * 4096,
        "EvLog_Norvan": big,
        "EvLog_Security": every,
    }


def main(path):
    ole = olefile.OleFileIO(path)
    try:
        if ole.sector_size != 512:
            sys.exit(f"{path}: sector size {ole.sector_size}, expected 512")
        listed = sorted("/".join(entry) for entry in ole.listdir(streams=True, storages=True))
        expected = sample_streams()
        if listed != sorted(expected):
            sys.exit(f"{path}: streams {listed}, expected {sorted(expected)}")
        for name, data in expected.items():
            got = ole.openstream(name).read()
            if got != data:
                sys.exit(f"{path}: stream {name} holds {len(got)} bytes that differ from the {len(data)} written")
    finally:
        ole.close()
    print(f"{path}: five streams as written")


if __name__ == "__main__":
    main(sys.argv[1])
