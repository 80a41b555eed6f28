#!/bin/sh
# Classroom programs pasted as they are written in an IDE: each NAME.txt of the folder is imported with
# --import-java and the design is run with --run on NAME.in (or no input). Its output and exit status must
# be what a JDK 17 printed for the same lines as the body of main (NAME.out and NAME.status, kept as they
# came from the JDK). The design's export, imported again, must run the same way.
#   import_corpus_test.sh PROGRAM FOLDER
set -u
# printf writes the locale's number separators; the JDK's outputs were made with English ones.
export LC_ALL=C.UTF-8
program=$1
folder=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
count=0
for source in "$folder"/*.txt; do
    name=$(basename "$source" .txt)
    count=$((count + 1))
    input=/dev/null
    [ -f "$folder/$name.in" ] && input="$folder/$name.in"
    if ! "$program" --import-java "$source" "$work/$name.str" 2>"$work/$name.notice"; then
        echo "FAIL: $name: --import-java"
        failures=$((failures + 1))
        continue
    fi
    "$program" --run "$work/$name.str" <"$input" >"$work/$name.got" 2>"$work/$name.err"
    status=$?
    if ! cmp -s "$work/$name.got" "$folder/$name.out" || [ "$status" != "$(cat "$folder/$name.status")" ]; then
        echo "FAIL: $name: exit $status, output differs from the JDK's:"
        diff "$work/$name.got" "$folder/$name.out" | head -10
        head -5 "$work/$name.err"
        failures=$((failures + 1))
    fi
    "$program" --export-java "$work/$name.str" "$work/$name.java" &&
        "$program" --import-java "$work/$name.java" "$work/$name.again.str" 2>/dev/null &&
        "$program" --run "$work/$name.again.str" <"$input" >"$work/$name.again" 2>/dev/null
    if [ $? != "$(cat "$folder/$name.status")" ] || ! cmp -s "$work/$name.again" "$folder/$name.out"; then
        echo "FAIL: $name: its export, imported again, runs differently"
        failures=$((failures + 1))
    fi
    # As a program to compile: a class named after the file (checked with javac when the data was made).
    "$program" --export-java-program "$work/$name.str" "$work/$name.java" 2>/dev/null &&
        grep -q "^public class $name {\$" "$work/$name.java" || {
        echo "FAIL: $name: --export-java-program"
        failures=$((failures + 1))
    }
done
# The trace table and the counts agree with the trace: a row for every line of it, and for every element
# as many runs as it has lines. The counts come from a run that goes on without a result per step.
"$program" --run "$work/scanner.str" --trace <"$folder/scanner.in" >/dev/null 2>"$work/trace"
"$program" --run "$work/scanner.str" --trace-table "$work/table.csv" <"$folder/scanner.in" >/dev/null
"$program" --run "$work/scanner.str" --counts <"$folder/scanner.in" >/dev/null 2>"$work/counts"
cut -f2 "$work/trace" | sort | uniq -c | awk '{ print $2 " " $1 }' >"$work/from-trace"
awk -F '\t' '$3 > 0 { print $1 " " $3 }' "$work/counts" | sort >"$work/from-counts"
if ! cmp -s "$work/from-trace" "$work/from-counts" ||
    [ "$(($(wc -l <"$work/table.csv") - 1))" != "$(wc -l <"$work/trace")" ]; then
    echo "FAIL: --counts and --trace-table against --trace"
    diff "$work/from-trace" "$work/from-counts" | head
    failures=$((failures + 1))
fi
# A design the run refuses is no program either: the run's message, exit 1, no file.
printf 'Eingabe x;\n' >"$work/pseudo.txt"
"$program" --import-java "$work/pseudo.txt" "$work/pseudo.str" 2>/dev/null
if "$program" --export-java-program "$work/pseudo.str" "$work/Pseudo.java" 2>"$work/pseudo.err" ||
    [ -e "$work/Pseudo.java" ] || ! grep -q 'Eingabe x' "$work/pseudo.err"; then
    echo "FAIL: --export-java-program of a design that does not run"
    failures=$((failures + 1))
fi
# The comments of one program: left out, and said so.
grep -q '^Java-Text eingefügt: 8 Kommentare wurden ausgelassen\.$' "$work/comments.notice" || {
    echo "FAIL: comments: the notice on standard error"
    failures=$((failures + 1))
}
echo "$((count - failures)) passed, $failures failed"
[ $failures -eq 0 ]
