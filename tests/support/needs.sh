#!/bin/sh
# needs.sh TOOL=PACKAGE... -- COMMAND [ARG...]
# Runs COMMAND when every TOOL (a command on the PATH or a path) is there.
# Otherwise prints one line naming the missing tools and the Debian packages
# that bring them, and exits 77, which the tests declare as CTest's skip
# status: a test without its tool is skipped, never passed or failed. It is
# decided when the test runs, so installing the tool later is enough.
missing=""
packages=""
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  tool=${1%%=*}
  if ! command -v "$tool" >/dev/null 2>&1; then
    missing="$missing${missing:+, }$tool"
    packages="$packages${packages:+ }${1#*=}"
  fi
  shift
done
if [ $# -eq 0 ]; then
  echo "needs.sh: no -- COMMAND given" >&2
  exit 2
fi
shift
if [ -n "$missing" ]; then
  echo "SKIP: not installed: $missing (sudo apt-get install $packages)"
  exit 77
fi
exec "$@"
