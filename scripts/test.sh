#!/usr/bin/env bash
# Checks that no layer includes a header of a layer above it (scripts/check_layers.sh), installs
# what is missing, builds once, and runs the whole test suite with CTest: first on the normal
# build, then the unit suites again under AddressSanitizer and UndefinedBehaviorSanitizer. Tests
# that need a display get one Xvfb screen (1920 x 1200, room for a 1920 x 1080 window and its
# frame) with Mesa's software GL; audio goes to OpenAL Soft's null output. The end-to-end journeys
# then run a second time under a window manager.
# The server runs with -noreset, so it stays up between test programs. Then the collector and
# gameplay suites once more in a collector stress build, and the Debian package's checks.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/check_layers.sh"
bash "$top/scripts/build.sh"
bash "$top/scripts/build.sh" --asan

export LIBGL_ALWAYS_SOFTWARE=1
export ALSOFT_DRIVERS=null
jobs=$(nproc 2>/dev/null || echo 2)

# A test that fails is run once more before the pass counts it as failed: the journeys drive a
# real program on a loaded machine, and one late frame should not fail the run. Both outputs stay
# in the log, so a test that needed its second run can be seen there.
run_ctest() {
  xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" \
    ctest --test-dir "$1" --output-on-failure --repeat until-pass:2 -j "$jobs" "${@:2}"
}

status=0
echo "== tests: normal build =="
run_ctest "$top/build" || status=1
# The journeys once more under a real window manager (openbox, stock configuration, started by
# the journeys' fixture on the same server): decorations, its focus rules, close and full screen.
echo "== tests: end-to-end journeys under a window manager =="
QR_E2E_WM=openbox run_ctest "$top/build" -L e2e || status=1
echo "== tests: sanitizer build (unit and integration suites) =="
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  run_ctest "$top/build-asan" -LE e2e || status=1
# Collector stress pass: the collector and gameplay suites once more, built with QR_GC_STRESS
# (every allocation marks what is queued, every host step is a full collection, and the heap is
# checked at each), so that a missing write barrier or mark fails here. Only those programs (and
# the data folder the gameplay suites load) are built into build-stress/.
echo "== tests: collector stress build (collector and gameplay suites) =="
stress_targets=(qr_data qr_runtime_tests reliability_gc_stress_test gameplay_board_test
  gameplay_controls_test gameplay_draw_test gameplay_flow_test gameplay_random_test)
if cmake -S "$top" -B "$top/build-stress" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQR_GC_STRESS=ON >/dev/null &&
  cmake --build "$top/build-stress" -j "$jobs" --target "${stress_targets[@]}"; then
  run_ctest "$top/build-stress" -E '_NOT_BUILT$' || status=1
else
  status=1
fi
echo "== package: build, lintian, validators, the installed command =="
bash "$top/tests/package/check_package.sh" "$top/build-package" || status=1
exit $status
