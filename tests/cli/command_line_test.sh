#!/bin/sh
# The program's command line from outside, without a display: help and version on standard output, an
# unknown option, a wrong number of files, --render's --scale, file names that start with "-" after "--" or
# are not UTF-8, the editor's and --render's one-line refusals to start without a display or platform, the
# printed page without a temporary folder, and the batch commands under a memory limit (not in a sanitizer
# build, whose shadow memory no address-space limit leaves room for).
#   command_line_test.sh PROGRAM VERSION [SANITIZED]
set -u
program=$1
version=$2
sanitized=${3:-0}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" >out 2>err; status=$?; }
lines() { wc -l <"$1" | tr -d ' '; }
pngWidth() { printf '%d' "0x$(od -An -j16 -N4 -tx1 "$1" | tr -d ' \n')"; }

for option in --version -v; do
    run $option
    [ $status -eq 0 ] && [ "$(cat out)" = "struktogramm $version" ] && [ ! -s err ] || fail "$option"
done
run -h
[ $status -eq 0 ] && grep -q '^Aufruf:' out && [ ! -s err ] || fail "-h"
# The longest command's name is followed by a blank before its description, as every other one.
grep -q '^  --export-java-program  *schreibt' out || fail "-h: --export-java-program runs into its text"
run --bogus design.str
[ $status -eq 2 ] && [ ! -s out ] && [ "$(lines err)" = 1 ] && grep -q 'Unbekannte Option „--bogus“' err ||
    fail "unknown option"
run --dump a.str b.str
[ $status -eq 2 ] && grep -q '^Aufruf:' err || fail "--dump with two files"

printf 'x = 1;\nwhile (x < 10) {\n  x++;\n}\n' >source.txt
run --import-java source.txt -- -design.str
[ $status -eq 0 ] && [ -s ./-design.str ] || fail "--import-java to a file named -design.str"
run --dump -design.str
[ $status -eq 0 ] && grep -q '^  W s=1 "x < 10"$' out || fail "--dump of -design.str"
run --render -design.str --flowchart -- -picture.png
[ $status -eq 0 ] && [ "$(head -c 4 ./-picture.png | tail -c 3)" = PNG ] || fail "--render without a display"

run --render -design.str -- one.png
width=$(pngWidth one.png)
run --render -design.str --scale 2 -- two.png
[ $status -eq 0 ] && [ "$(pngWidth two.png)" -eq $((2 * width)) ] || fail "--render --scale 2 draws twice as wide"
run --render -design.str --scale 0 -- none.png
[ $status -eq 2 ] && [ ! -e none.png ] && grep -q -- '--scale' err || fail "--scale out of range"

# A picture, a PDF or a text opened as a design: refused with the file's name, exit status 1.
printf '\211PNG\r\n\032\n' >bild.png
printf '%%PDF-1.4\n' >blatt.pdf
for file in bild.png blatt.pdf source.txt; do
    run --dump "$file"
    [ $status -eq 1 ] && [ ! -s out ] && [ "$(cat err)" = "Datei „$file“ ist kein Struktogramm." ] ||
        fail "--dump of $file: $status $(cat err)"
done

latin1=$(printf 'caf\351.str')
run --import-java source.txt "$latin1"
[ $status -eq 0 ] && [ -s "$latin1" ] || fail "a file name that is not UTF-8 is kept byte for byte"

run -- -design.str
[ $status -eq 1 ] && [ "$(lines err)" = 1 ] && grep -q '^Keine grafische Anzeige gefunden' err ||
    fail "editor without a display: $(cat err)"

# A toolkit that cannot start (here for want of the platform named) ends --render with one German line.
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=nosuch "$program" --render -design.str -- start.png >out 2>err
status=$?
[ $status -eq 1 ] && [ "$(lines err)" = 1 ] && grep -q '^Die Zeichenausgabe kann nicht starten' err &&
    [ ! -e start.png ] || fail "--render without a platform: $status $(cat err)"

# The printed page goes from memory through the file writer, never through the temporary folder, and the
# writer removes what a killed writer of the same file left.
printf 'left' >.page.pdf.Xy12Zw
touch -d '2000-01-01' .page.pdf.Xy12Zw
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TMPDIR=/nonexistent "$program" --render -design.str -- page.pdf \
    >out 2>err
status=$?
[ $status -eq 0 ] && [ "$(head -c 5 page.pdf)" = "%PDF-" ] && [ ! -e .page.pdf.Xy12Zw ] ||
    fail "--render to PDF without a temporary folder: $status $(cat err)"

# An SVG picture of 70,000 statements would be larger than the SVG limit: refused before it is drawn.
python3 -c 'import sys; sys.stdout.buffer.write(b"B:r\1" + b"A:s\1" * 70000)' >many.str
run --render many.str many.svg
[ $status -eq 1 ] && [ "$(cat err)" = "Das Bild für many.svg ist zu groß" ] && [ ! -e many.svg ] ||
    fail "SVG limit: $status $(cat err)"

mkfifo fifo.str
run --dump fifo.str &
reader=$!
sleep 1
kill $reader 2>/dev/null && fail "--dump of a FIFO waits for a writer"
wait $reader
grep -q 'fifo.str kann nicht geöffnet werden' err || fail "--dump of a FIFO: $(cat err)"

# --run --trace: one line a step on standard error (number, place, text, variables), the output apart.
printf 'int summe = 0;\nfor (int i = 1; i <= 2; i++) { summe = summe + i; }\nSystem.out.println(summe);\n' >sum.txt
run --import-java sum.txt sum.str
run --run sum.str --trace
[ $status -eq 0 ] && [ "$(cat out)" = 3 ] && [ "$(wc -l <err)" -eq 7 ] &&
    grep -q '^5	1.1.0	summe = summe + i	.*summe=3 i=2$' err || fail "--run --trace: $status $(cat err)"

# Numbers as a JDK prints and reads them under each locale (kept in locale/): Scanner and printf with the
# locale's separators, concatenation and Double.toString with the point. The locales need not be installed.
data=$(dirname "$0")/locale
run --import-java "$data/numbers.txt" numbers.str
grep -v '^#' "$data/cases" | while read -r locale input expected; do
    LC_ALL=$locale "$program" --run numbers.str <"$data/$input.in" >out 2>err
    status=$?
    [ $status -eq "$expected" ] && cmp -s out "$data/$locale.$input.out" ||
        { echo "FAIL: --run under $locale with $input input: $status $(cat err)"; exit 1; }
done || failures=$((failures + 1))
LC_ALL=de_DE.UTF-8 LC_CTYPE=en_US.UTF-8 "$program" --run numbers.str <"$data/point.in" >out 2>err
grep -q 'auf diesem Rechner steht ein Komma vor den Nachkommastellen (3,5)' err ||
    fail "LC_ALL before LC_CTYPE, and the message for a point where a comma is expected: $(cat err)"
env -u LC_ALL LC_CTYPE=de_DE.UTF-8 LANG=en_US.UTF-8 "$program" --run numbers.str <"$data/comma.in" >out 2>&1
cmp -s out "$data/de_DE.UTF-8.comma.out" || fail "LC_CTYPE before LANG: $(cat out)"

# A prompt before a read on a pseudo-terminal; output before SIGINT and SIGTERM.
python3 "$(dirname "$0")/terminal_test.py" "$program" "$work" || fail "--run in a terminal"

if [ "$sanitized" != 1 ]; then
    # 999 nested loops around 100,000 statements give 200 MB of Java and 400 MB of dump, streamed within
    # 100 MB of address space; three million statements do not fit in it.
    python3 -c 'import sys; sys.stdout.buffer.write(b"B:r\1" + b"W:c\1B:b\1" * 998 + b"A:s\1" * 100000)' >deep.str
    python3 -c 'import sys; sys.stdout.buffer.write(b"B:r\1" + b"A:s\1" * 3000000)' >big.str
    limited() { (ulimit -v 100000 && "$program" "$@") >out 2>err; status=$?; }
    limited --export-java deep.str deep.java
    [ $status -eq 0 ] && [ "$(wc -c <deep.java)" -eq 202209972 ] || fail "streamed export: $status $(cat err)"
    rm -f deep.java
    (ulimit -v 100000 && "$program" --dump deep.str | wc -c >out) 2>err
    [ "$(cat out)" -eq 404409978 ] || fail "streamed dump: $(cat err)"
    limited --dump big.str
    [ $status -eq 1 ] && [ "$(cat err)" = "Nicht genug Arbeitsspeicher für diesen Befehl" ] ||
        fail "out of memory: $status $(cat err)"
fi

[ $failures -eq 0 ] && echo "command line: all passed"
exit $failures
