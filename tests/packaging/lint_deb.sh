#!/bin/sh
# lint_deb.sh CPACK BUILD_DIR OUT_DIR
# Makes the Debian package of the build in BUILD_DIR with CPack into OUT_DIR
# and fails unless lintian finds neither an error nor a warning in it.
cpack=$1
build=$2
out=$3
rm -rf "$out"
mkdir -p "$out" || exit 1
if ! (cd "$build" && "$cpack" -G DEB -B "$out" >"$out/cpack.log" 2>&1); then
  cat "$out/cpack.log"
  echo "FAIL: cpack -G DEB did not make the package"
  exit 1
fi
set -- "$out"/*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "FAIL: cpack made no single .deb in $out"
  exit 1
fi
deb=$1
dpkg-deb --contents "$deb"
# Errors and warnings fail; --fail-on alone would let an older lintian
# that ignores it pass, so the tags are counted as well.
report=$(lintian --fail-on error,warning --display-level ">=warning" "$deb" 2>&1)
status=$?
printf '%s\n' "$report"
if [ $status -ne 0 ] || printf '%s\n' "$report" | grep -q '^[EW]: '; then
  echo "FAIL: lintian rejects $deb"
  exit 1
fi
echo "lintian accepts $deb"
