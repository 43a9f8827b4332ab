#!/bin/bash
# Runs a test program under Wine with a limit on the size of every file it
# writes, so that a write past the limit fails with "file too large" as on a
# full disk (SIGXFSZ ignored: the write then returns an error instead of
# ending the process).
#   run_with_file_limit.sh KILOBYTES WINE-RUN-COMMAND...
set -u
limit=$1
shift
ulimit -f "$limit" || exit 1
trap '' XFSZ
export ORVEX_FILE_LIMIT_KB=$limit
exec "$@"
