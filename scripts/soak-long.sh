#!/usr/bin/env bash
# The full fault soak: 2,000 records in 3 tables read through a noisy
# simulated line (about 5 % of answers spoilt), compared byte for byte with
# a clean reading. Prints the time taken and the faults by kind. About ten
# minutes.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DMORVA_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target fault_soak_test
MORVA_SOAK_RECORDS=${1:-2000} build/tests/soak/fault_soak_test --gtest_filter='FaultSoakTest.*'
