#!/bin/sh
# needs_test.sh NEEDS_SH
# A test without its tool must come out skipped (status 77, one line naming
# the tool and its package) and never run; with its tools it runs, and its
# own status, 0 or not, is the test's.
needs=$1
fail() { echo "FAIL: $1"; exit 1; }

out=$(sh "$needs" sh=dash drowsel-no-such-tool=drowsel-tool-package -- sh -c 'echo ran; exit 0')
status=$?
[ $status -eq 77 ] || fail "a missing tool gave status $status, not 77"
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || fail "a missing tool printed more than one line: $out"
case $out in
  *ran*) fail "the test ran without its tool" ;;
  *drowsel-no-such-tool*drowsel-tool-package*) ;;
  *) fail "the skip line names neither the tool nor its package: $out" ;;
esac

sh "$needs" sh=dash /bin/sh=dash -- sh -c 'exit 3'
status=$?
[ $status -eq 3 ] || fail "with its tools the test's status 3 came out as $status"
out=$(sh "$needs" sh=dash -- sh -c 'echo ran')
[ "$out" = ran ] || fail "with its tools the test did not run: $out"
echo "needs.sh skips without the tool and runs with it"
