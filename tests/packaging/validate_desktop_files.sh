#!/bin/sh
# validate_desktop_files.sh DESKTOP_FILE METAINFO_FILE
# Fails when a validator is missing or rejects its file; infos count too.
desktop=$1
metainfo=$2
status=0
for pair in desktop-file-validate:desktop-file-utils appstreamcli:appstream; do
  tool=${pair%%:*}
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "FAIL: $tool is missing: install the Debian package '${pair#*:}'"
    status=1
  fi
done
[ "$status" -eq 0 ] || exit 1
# desktop-file-validate prints nothing for a clean file; hints are faults too.
report=$(desktop-file-validate "$desktop" 2>&1)
if [ $? -ne 0 ] || [ -n "$report" ]; then
  printf '%s\n' "$report"
  echo "FAIL: desktop-file-validate does not accept $desktop"
  status=1
fi
if ! appstreamcli validate --no-net --strict "$metainfo"; then
  echo "FAIL: appstreamcli validate does not accept $metainfo"
  status=1
fi
exit $status
