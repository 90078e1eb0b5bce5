#!/usr/bin/env bash
# Fuzzes each target for 10 minutes (or the seconds given as the first
# argument). The corpus grows in build-fuzz/corpus/<target> from run to run;
# a crashing input lands in build-fuzz/artifacts/<target>/ — once fixed,
# keep it in tests/fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/fuzz-common.sh

seconds=${1:-600}
bash scripts/setup-debian.sh
build_fuzz_targets
status=0
for name in "${fuzz_targets[@]}"; do
  run_fuzz_target "$name" "$fuzz_dir/corpus/$name" -max_total_time="$seconds" || status=1
done
exit $status
