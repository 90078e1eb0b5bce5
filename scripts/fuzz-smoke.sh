#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a small fixed number of runs
# over its seed corpus and its crash regressions: a quick check that no
# known input crashes again. Part of scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/fuzz-common.sh

build_fuzz_targets
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run_fuzz_target receive_path "$work/receive_path" -runs=50000
run_fuzz_target report_driver "$work/report_driver" -runs=2000
run_fuzz_target param_text "$work/param_text" -runs=50000
run_fuzz_target archive_open "$work/archive_open" -runs=1000
run_fuzz_target unit_table "$work/unit_table" -runs=5000
run_fuzz_target web_query "$work/web_query" -runs=50000
