#!/bin/sh
# validate_desktop_files.sh DESKTOP_FILE METAINFO_FILE
# Fails when a validator rejects its file; infos count too. The test runs it
# through needs.sh, which skips it when a validator is missing.
desktop=$1
metainfo=$2
status=0
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
