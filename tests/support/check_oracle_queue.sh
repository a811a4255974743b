#!/usr/bin/env bash
# Judges the PST files the Windows tests queued for the read-back oracle
# (pst_readback.py check, beside each file its expectation and test's name).
# Usage: check_oracle_queue.sh QUEUE_FOLDER. Fails if any check fails or if
# nothing was queued (the tests that queue did not run).
# check_oracle_queue.sh --clear QUEUE_FOLDER empties the queue before a run.
set -uo pipefail
if [ "${1:-}" = --clear ]; then
  rm -rf "$2" && mkdir -p "$2"
  exit
fi
queue=$1
script="$(cd "$(dirname "$0")" && pwd)/pst_readback.py"
cd "$queue" || { echo "no queue folder $queue" >&2; exit 1; }
checked=0 failed=0
for pst in *.pst; do
  [ -e "$pst" ] || continue
  checked=$((checked + 1))
  if ! out=$(python3 "$script" check "$pst" "$pst.expect.json" 2>&1); then
    failed=$((failed + 1))
    echo "FAILED: $(cat "$pst.test" 2>/dev/null || echo "$pst")"
    echo "$out"
  fi
done
echo "read-back oracle: $checked queued files checked, $failed failed"
[ "$checked" -gt 0 ] && [ "$failed" -eq 0 ]
