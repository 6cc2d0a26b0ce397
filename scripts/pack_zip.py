#!/usr/bin/env python3
"""Writes the zip that Windows users download, the same bytes for the same inputs.

    pack_zip.py --date EPOCH --guide GUIDE --out ZIP PROGRAM...
    pack_zip.py --unpack ZIP --out FOLDER


The zip holds the programs, the guide as README.txt (UTF-8 with a byte-order mark and CRLF
line ends, as Notepad reads it best) and SHA256SUMS (the programs' SHA-256 in the format
of sha256sum). Entries are sorted by name; every entry has the given date (seconds since
1970, UTC: the commit's time) and the same attributes, so nothing of the machine, the
clock or the umask enters the archive.

--unpack checks that a zip holds what a download must (the entries in order, the guide
as Notepad reads it, the sums matching the programs) and unpacks it into a new folder.
"""
import argparse
import hashlib
import os
import sys
import time
import zipfile

GUIDE_NAME = "README.txt"
SUMS_NAME = "SHA256SUMS"
BOM = b"\xef\xbb\xbf"
EARLIEST_ZIP_DATE = 315532800  # 1980-01-01, the first date a zip entry can hold


def guide_for_notepad(text_bytes):
    """The guide's UTF-8 text with one byte-order mark and CRLF line ends."""
    text = text_bytes.decode("utf-8")  # refuses a guide that is not UTF-8
    text = text.lstrip("\ufeff").replace("\r\n", "\n").replace("\r", "\n")
    if not text.endswith("\n"):
        text += "\n"
    return BOM + text.replace("\n", "\r\n").encode("utf-8")


def sums_for(programs):
    """sha256sum lines for (name, bytes) pairs, sorted by name."""
    lines = []
    for name, data in sorted(programs):
        lines.append("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name))
    return "".join(lines).encode("ascii")


def entry(name, date_time):
    info = zipfile.ZipInfo(name, date_time=date_time)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 3  # attributes below are Unix ones, whatever machine packs
    info.external_attr = 0o100644 << 16
    return info


def write_zip(out, epoch, guide_bytes, programs):
    date_time = time.gmtime(max(epoch, EARLIEST_ZIP_DATE))[:6]
    entries = {GUIDE_NAME: guide_for_notepad(guide_bytes), SUMS_NAME: sums_for(programs)}
    for name, data in programs:
        if name in entries:
            raise ValueError("two entries named " + name)
        entries[name] = data
    partial = out + ".partial"
    with zipfile.ZipFile(partial, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name in sorted(entries):
            archive.writestr(entry(name, date_time), entries[name])
    os.replace(partial, out)


def problems_of(archive):
    """What keeps an opened zip from being a download: a list of texts, empty when none."""
    problems = []
    names = archive.namelist()
    if names != sorted(names):
        problems.append("the entries are not in the order of their names: %s" % names)
    if GUIDE_NAME not in names or SUMS_NAME not in names:
        return problems + ["%s or %s is missing: %s" % (GUIDE_NAME, SUMS_NAME, names)]
    guide = archive.read(GUIDE_NAME)
    if not guide.startswith(BOM) or guide.count(b"\n") != guide.count(b"\r\n"):
        problems.append("%s has no byte-order mark or a line end other than CRLF" % GUIDE_NAME)
    try:
        guide.decode("utf-8")
    except UnicodeDecodeError:
        problems.append("%s is not UTF-8" % GUIDE_NAME)
    summed = set()
    for line in archive.read(SUMS_NAME).decode("ascii").splitlines():
        digest, _, name = line.partition("  ")
        summed.add(name)
        if name not in names or hashlib.sha256(archive.read(name)).hexdigest() != digest:
            problems.append("%s does not match %s" % (SUMS_NAME, name))
    if summed != set(names) - {GUIDE_NAME, SUMS_NAME}:
        problems.append("%s covers %s, the zip holds %s" % (SUMS_NAME, sorted(summed), names))
    return problems


def unpack(zip_path, folder):
    with zipfile.ZipFile(zip_path) as archive:
        problems = problems_of(archive)
        for problem in problems:
            print("[tollerup] FAILED: %s: %s" % (zip_path, problem), file=sys.stderr)
        if problems:
            return 1
        os.makedirs(folder)
        archive.extractall(folder)
    return 0


def main(argv):
    parser = argparse.ArgumentParser(description="Write the download zip, or check and unpack one.")
    parser.add_argument("--date", type=int, help="seconds since 1970 (UTC) for every entry")
    parser.add_argument("--guide", help="the guide, UTF-8")
    parser.add_argument("--unpack", metavar="ZIP", help="check this zip and unpack it into --out")
    parser.add_argument("--out", required=True, help="the zip to write, or the folder to unpack into")
    parser.add_argument("programs", nargs="*", help="the program files")
    args = parser.parse_args(argv)
    if args.unpack:
        return unpack(args.unpack, args.out)
    if args.date is None or not args.guide or not args.programs:
        parser.error("writing a zip needs --date, --guide and the programs")
    with open(args.guide, "rb") as f:
        guide = f.read()
    programs = []
    for path in args.programs:
        with open(path, "rb") as f:
            programs.append((os.path.basename(path), f.read()))
    write_zip(args.out, args.date, guide, programs)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
