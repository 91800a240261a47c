#!/usr/bin/env bash
# Fuzzes one target for a bounded time: first over its kept corpus (the seeds and
# every input that once broke it), then on new inputs. New inputs go to the work
# folder, never into the source tree; an input that breaks the target is left
# there as crash-*, timeout-* or leak-*.
#   run_fuzzer.sh PROGRAM SECONDS KEPT_CORPUS WORK_FOLDER [libFuzzer options...]
set -uo pipefail
program=$1 seconds=$2 kept=$3 work=$4
shift 4
name=$(basename "$program")
mkdir -p "$work/corpus"
log="$work/last-run.log"
start=$(date +%s)
"$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/" "$@" "$work/corpus" "$kept" >"$log" 2>&1
status=$?
elapsed=$(($(date +%s) - start))
stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -n 1; }
runs=$(stat number_of_executed_units)
if [ "$status" -ne 0 ]; then
  cat "$log"
  echo "$name: FAILED after ${elapsed} s (exit status $status); the input is in $work"
  exit 1
fi
echo "$name: ${runs:-?} inputs in ${elapsed} s ($(stat average_exec_per_sec) per second)," \
  "$(ls "$work/corpus" | wc -l) new in the work corpus, $(ls "$kept" | wc -l) kept, peak $(stat peak_rss_mb) MB"
