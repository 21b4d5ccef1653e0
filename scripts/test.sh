#!/usr/bin/env bash
# Installs what is missing, builds once, and runs the whole test suite with CTest:
# first on the normal build, then the unit suites again under AddressSanitizer
# and UndefinedBehaviorSanitizer. Tests that need a display get one Xvfb screen
# (1280 x 1024) with Mesa's software GL; audio goes to OpenAL Soft's null output.
# The server runs with -noreset, so it stays up between test programs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/build.sh"
bash "$top/scripts/build.sh" --asan

export LIBGL_ALWAYS_SOFTWARE=1
export ALSOFT_DRIVERS=null
jobs=$(nproc 2>/dev/null || echo 2)

run_ctest() {
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir "$1" --output-on-failure -j "$jobs" "${@:2}"
}

status=0
echo "== tests: normal build =="
run_ctest "$top/build" || status=1
echo "== tests: sanitizer build (unit and integration suites) =="
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  run_ctest "$top/build-asan" -LE e2e || status=1
echo "== package: build, lintian, validators, the installed command =="
bash "$top/tests/package/check_package.sh" "$top/build-package" || status=1
exit $status
