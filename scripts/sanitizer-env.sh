# Sourced by the sanitizer scripts: where reports go and how the runtimes act.
# Every process of the run, the programs the tests start included, writes its
# report to a file in $FRAMEWISE_REPORTS, so a report from a child whose exit
# status a test does not look at still fails the run.
FRAMEWISE_REPORTS=${FRAMEWISE_REPORTS:-$(mktemp -d "${TMPDIR:-/tmp}/framewise-sanitizers.XXXXXX")}
export FRAMEWISE_REPORTS
supp="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan.supp"
export ASAN_OPTIONS="log_path=$FRAMEWISE_REPORTS/asan:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="log_path=$FRAMEWISE_REPORTS/ubsan:print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"
if [ -x /usr/lib/llvm-14/bin/llvm-symbolizer ]; then
  export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
fi

# Prints every report written so far; false when there is one.
sanitizer_reports_clean() {
  local found=0 f
  for f in "$FRAMEWISE_REPORTS"/*; do
    [ -e "$f" ] || continue
    found=1
    echo "---- sanitizer report $f" >&2
    cat "$f" >&2
  done
  [ "$found" -eq 0 ]
}
