#!/bin/sh
# The batch commands when the C library's allocations fail (tests/support/failing_malloc.cpp, preloaded):
# every request of 4 KiB or more fails from the k-th on, for the last values of k before each command's
# end, where a picture or a PDF is finished and written. Each run ends with status 0, or 1 and the memory
# message, never by a signal; a failed run leaves the old file as it was and no temporary file beside it.
#   allocation_failure_test.sh PROGRAM SHIM
set -u
program=$1
shim=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export QT_QPA_PLATFORM=offscreen

printf 'int x = 1;\nwhile (x < 10) {\n  x++;\n  if (x > 5) {\n    System.out.println("gro\303\237 " + x);\n  } else {\n    x = x + 2;\n  }\n}\n' >source.txt
"$program" --import-java source.txt design.str || exit 1

# ladder OUTPUT RUNGS ARGUMENTS...: the command with OUTPUT as its file, for the last RUNGS values of k.
ladder() {
    output=$1
    rungs=$2
    shift 2
    requests=$(STRUKT_COUNT_REQUESTS=1 LD_PRELOAD=$shim "$program" "$@" 2>&1 >/dev/null |
        sed -n 's/^large requests: //p')
    [ -n "$requests" ] || { fail "$*: no count of requests"; return; }
    k=$((requests - rungs + 1))
    [ $k -ge 1 ] || k=1
    while [ $k -le "$requests" ]; do
        echo old >"$output"
        STRUKT_FAIL_FROM=$k LD_PRELOAD=$shim "$program" "$@" >out 2>err
        status=$?
        case $status in
        0) ;;
        1)
            grep -q 'Nicht genug Arbeitsspeicher' err || fail "$* (k=$k): $(cat err)"
            [ "$(cat "$output")" = old ] || fail "$* (k=$k): the old file was replaced"
            ;;
        *) fail "$* (k=$k): status $status" ;;
        esac
        for stray in .$output.*; do
            [ -e "$stray" ] && fail "$* (k=$k): $stray left" && rm -f "$stray"
        done
        k=$((k + 1))
    done
}

ladder page.pdf 30 --render design.str page.pdf
ladder picture.svg 10 --render design.str picture.svg
ladder picture.png 10 --render design.str picture.png
ladder Design.java 10 --export-java design.str Design.java

[ $failures -eq 0 ] || exit 1
