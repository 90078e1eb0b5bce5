# Shared by fuzz-smoke.sh and fuzz-long.sh: builds the fuzz targets in
# build-fuzz/ with clang and runs one of them over its seed corpus and its
# crash regressions. Source it from the project root.

fuzz_dir=build-fuzz
fuzz_targets=(receive_path report_driver param_text archive_open unit_table web_query)

build_fuzz_targets() {
  cmake -S . -B "$fuzz_dir" -G Ninja -DMORVA_WERROR=ON -DMORVA_FUZZ=ON \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$fuzz_dir" -j "$(nproc)"
}

# run_fuzz_target NAME WORK_CORPUS [libFuzzer options...]
# New inputs go to WORK_CORPUS, never into the source tree; a crashing input
# is written to $fuzz_dir/artifacts/NAME/. Prints the final figures.
run_fuzz_target() {
  local name=$1 work=$2; shift 2
  local artifacts="$fuzz_dir/artifacts/$name"
  local log="$fuzz_dir/$name.log"
  mkdir -p "$work" "$artifacts"
  local inputs=("tests/fuzz/corpus/$name")
  if [ -d "tests/fuzz/regressions/$name" ]; then
    inputs+=("tests/fuzz/regressions/$name")
  fi
  if ! "$fuzz_dir/tests/fuzz/${name}_fuzz" -seed=1 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$@" "$work" "${inputs[@]}" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz target $name FAILED; the input is in $artifacts/" >&2
    return 1
  fi
  local done_line
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
  echo "$name: ${done_line:-done}"
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" | sed "s/^/$name: /"
}
