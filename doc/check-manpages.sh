#!/usr/bin/env bash
# Formats every manual page given and fails on any warning of man or groff.
set -uo pipefail
status=0
for page in "$@"; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    if [[ -n "$warnings" ]]; then
        echo "$page:"; echo "$warnings"
        status=1
    fi
done
exit $status
