#!/usr/bin/env bash
# The guide that ships in the zip (docs/guide_ja.txt) names only what the program has:
# every settings key it shows as "Key=" is read or written under that name by the program,
# every command line "TLR64.exe <argument>" it gives begins with a sign the start-up takes,
# and every text it quotes in 「」 is one the program shows. Needs neither Wine nor a build.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
guide=${1:-$root/docs/guide_ja.txt}
product=("$root/app" "$root/watch" "$root/actions" "$root/power" "$root/wizard")
failures=0
fail() {
  printf 'FAILED: %s\n' "$1"
  failures=$((failures + 1))
}

[ -f "$guide" ] || { echo "FAILED: no guide at $guide"; exit 1; }
iconv -f UTF-8 -t UTF-8 "$guide" >/dev/null 2>&1 || fail "the guide is not UTF-8"
export LC_ALL=C.UTF-8

# Settings keys: a name of ASCII letters right before "=".
mapfile -t keys < <(grep -oE '(^|[^A-Za-z])[A-Za-z]+=' "$guide" | grep -oE '[A-Za-z]+' | sort -u)
[ ${#keys[@]} -ge 5 ] || fail "the guide names ${#keys[@]} settings keys; its table of TLR.ini names more"
for key in "${keys[@]}"; do
  grep -rqE "(Read|Write)(Int|Bool|String)\(L\"$key\"" "${product[@]}" ||
    fail "the guide names the settings key $key, which the program neither reads nor writes"
done

# Command lines: the program's name, a blank and an argument that begins with a sign (not
# a word of the text, nor a file name given to another command); that sign must choose a
# road of the start-up.
mapfile -t marks < <(LC_ALL=C grep -oE 'TLR(32|64)\.exe [[:punct:]]' "$guide" | LC_ALL=C cut -c11 | sort -u)
printf '%s\n' "${marks[@]}" | grep -qx '#' || fail "the guide gives no command line with #"
printf '%s\n' "${marks[@]}" | grep -qxF '*' || fail "the guide gives no command line with *"
for mark in "${marks[@]}"; do
  grep -qF "case L'$mark':" "$root/app/startup_logic.cpp" ||
    fail "the guide gives a command line beginning with '$mark', which the start-up refuses"
done

# Texts the program shows: labels of the dialogs, messages.
mapfile -t quoted < <(grep -oE '「[^」]+」' "$guide" | sed 's/^「//; s/」$//' | sort -u)
[ ${#quoted[@]} -ge 10 ] || fail "the guide quotes ${#quoted[@]} texts of the program; it names more"
for text in "${quoted[@]}"; do
  grep -rqF -- "$text" "$root/res" "${product[@]}" || fail "the guide quotes 「$text」, which the program never shows"
done

if [ $failures -gt 0 ]; then
  printf '%d check(s) failed\n' "$failures"
  exit 1
fi
echo "the guide names ${#keys[@]} settings keys, ${#marks[@]} command-line forms and ${#quoted[@]} texts, all of the program"
