#!/usr/bin/env bash
# The zip writer of scripts/package.sh (scripts/pack_zip.py): the same programs, guide and
# date give the same bytes whatever the files' times, the umask, the time zone, the order
# of the arguments or the guide's line ends; the date and nothing else dates the entries;
# the guide comes out as Notepad reads it; and the check of a zip refuses one whose sums or
# guide are wrong. Needs neither Wine nor a build.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
python=/usr/bin/python3
[ -x "$python" ] || python=python3
pack=("$python" "$root/scripts/pack_zip.py")
work=$(mktemp -d /tmp/tollerup-zip-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  printf 'FAILED: %s\n' "$1"
  failures=$((failures + 1))
}

epoch=1700000000  # 2023-11-14 22:13:20 UTC
mkdir -p "$work/a" "$work/b"
head -c 70000 /dev/urandom >"$work/a/TLR64.exe"
head -c 50000 /dev/urandom >"$work/a/TLR32.exe"
cp "$work/a/TLR64.exe" "$work/a/TLR32.exe" "$work/b/"
printf 'Tollerup 使い方\n\n■ これは何か\n待ってから動作します。\n' >"$work/a/guide.txt"
# The same guide as an editor on Windows may leave it: a byte-order mark and CRLF.
printf '\xef\xbb\xbfTollerup 使い方\r\n\r\n■ これは何か\r\n待ってから動作します。\r\n' >"$work/b/guide.txt"

"${pack[@]}" --date $epoch --guide "$work/a/guide.txt" --out "$work/first.zip" "$work/a/TLR64.exe" "$work/a/TLR32.exe" ||
  fail "the first zip was not written"
touch -d '2001-02-03 04:05:06' "$work/b/TLR64.exe" "$work/b/TLR32.exe" "$work/b/guide.txt"
(umask 077 && TZ=Asia/Tokyo "${pack[@]}" --date $epoch --guide "$work/b/guide.txt" --out "$work/second.zip" \
  "$work/b/TLR32.exe" "$work/b/TLR64.exe") || fail "the second zip was not written"
cmp -s "$work/first.zip" "$work/second.zip" ||
  fail "two zips of the same inputs differ (times, umask, time zone, order or line ends leak in)"

"${pack[@]}" --date $((epoch + 86400)) --guide "$work/a/guide.txt" --out "$work/later.zip" "$work/a/TLR64.exe" \
  "$work/a/TLR32.exe" || fail "the later zip was not written"
cmp -s "$work/first.zip" "$work/later.zip" && fail "a zip of another date has the same bytes"

# What the zip holds, read back with the standard library.
"$python" - "$work/first.zip" "$epoch" "$work/a" <<'EOF' || fail "the first zip does not hold what it must"
import hashlib, sys, time, zipfile
path, epoch, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3]
archive = zipfile.ZipFile(path)
problems = []
names = archive.namelist()
if names != ["README.txt", "SHA256SUMS", "TLR32.exe", "TLR64.exe"]:
    problems.append("entries %s" % names)
for info in archive.infolist():
    if info.date_time != time.gmtime(epoch)[:6]:
        problems.append("%s is dated %s" % (info.filename, info.date_time))
    if info.external_attr != 0o100644 << 16:
        problems.append("%s has the attributes %o" % (info.filename, info.external_attr >> 16))
guide = archive.read("README.txt")
expected = "\ufeffTollerup 使い方\r\n\r\n■ これは何か\r\n待ってから動作します。\r\n".encode("utf-8")
if guide != expected:
    problems.append("README.txt is %r" % guide)
sums = "".join("%s  %s\n" % (hashlib.sha256(open("%s/%s" % (folder, n), "rb").read()).hexdigest(), n)
               for n in ("TLR32.exe", "TLR64.exe"))
if archive.read("SHA256SUMS").decode("ascii") != sums:
    problems.append("SHA256SUMS is %r" % archive.read("SHA256SUMS"))
for name in ("TLR32.exe", "TLR64.exe"):
    if archive.read(name) != open("%s/%s" % (folder, name), "rb").read():
        problems.append("%s is not the program" % name)
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
EOF

# The check before unpacking: a good zip unpacks, a damaged one is refused.
"${pack[@]}" --unpack "$work/first.zip" --out "$work/展開 テスト" >/dev/null 2>&1 &&
  cmp -s "$work/展開 テスト/TLR64.exe" "$work/a/TLR64.exe" || fail "the good zip was not unpacked"
"$python" - "$work/first.zip" "$work" <<'EOF' || fail "the damaged zips were not made"
import sys, zipfile
source = zipfile.ZipFile(sys.argv[1])
entries = [(info.filename, info.date_time, source.read(info.filename)) for info in source.infolist()]
def copy(out, replace):
    with zipfile.ZipFile(out, "w", compression=zipfile.ZIP_DEFLATED) as archive:
        for name, date_time, data in entries:
            archive.writestr(zipfile.ZipInfo(name, date_time), replace.get(name, data))
copy(sys.argv[2] + "/wrong_sums.zip", {"TLR64.exe": b"another program"})
copy(sys.argv[2] + "/lf_guide.zip", {"README.txt": source.read("README.txt").replace(b"\r\n", b"\n")})
copy(sys.argv[2] + "/no_bom.zip", {"README.txt": source.read("README.txt")[3:]})
EOF
for damaged in wrong_sums lf_guide no_bom; do
  [ -f "$work/$damaged.zip" ] || continue
  "${pack[@]}" --unpack "$work/$damaged.zip" --out "$work/$damaged" >/dev/null 2>&1 &&
    fail "the check let $damaged.zip through"
  [ -e "$work/$damaged" ] && fail "the check unpacked $damaged.zip"
done

if [ $failures -gt 0 ]; then
  printf '%d check(s) failed\n' "$failures"
  exit 1
fi
echo "the zip is the same for the same inputs, dated by its date, and its check refuses damaged ones"
