#!/usr/bin/env bash
# Sets up, builds and tests VELT on a fresh Debian 12 machine.
#   ./test.sh              Release build in build/, every test
#   ./test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   ./test.sh --tsan       ThreadSanitizer build in build-tsan/
#   ./test.sh --windows    MinGW-w64 cross build in build-windows/, its tests run under Wine;
#                          velt.exe and its GUI tests in build-windows-gui/ when Qt for
#                          Windows is built (scripts/build-qt-windows.sh)
set -euo pipefail
cd "$(dirname "$0")"
source scripts/lib/packages.sh

mode=release
for arg in "$@"; do
  case "$arg" in
    --sanitize) mode=asan ;;
    --tsan) mode=tsan ;;
    --windows) mode=windows ;;
    -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
    *) echo "unknown option: $arg" >&2; exit 2 ;;
  esac
done

jobs=$(nproc)
if [ "$mode" = windows ]; then
  source scripts/lib/windows.sh
  velt_install_packages "${VELT_WINDOWS_PACKAGES[@]}"
  dir=build-windows
  velt_windows_deps "$PWD/$dir/deps"
  velt_wine_prefix "$PWD/$dir/wine"
  host_cli=${VELT_HOST_CLI:-$(velt_host_cli)}
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/$VELT_MINGW_TOOLCHAIN" \
    -DVELT_WINDOWS_DEPS="$PWD/$dir/deps" -DCMAKE_BUILD_TYPE=Release \
    -DVELT_BUILD_GUI=OFF -DVELT_BUILD_BENCH=OFF -DVELT_HOST_CLI="$host_cli"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" ${VELT_CTEST_ARGS:-}
  velt_windows_gui build-windows-gui "$PWD/$dir/deps" "$jobs"
  exit 0
fi

velt_install_packages "${VELT_BUILD_PACKAGES[@]}" "${VELT_TEST_PACKAGES[@]}"

ctest_args=()
targets=()
case "$mode" in
  release)
    dir=build
    flags=(-DCMAKE_BUILD_TYPE=Release -DVELT_BUILD_TESTS=ON -DVELT_BUILD_BENCH=ON)
    ;;
  asan)
    dir=build-asan
    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELT_SANITIZE=ON -DVELT_BUILD_TESTS=ON -DVELT_BUILD_BENCH=OFF)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    # The 4 GiB test checks the pipeline's memory, which the sanitizers' shadow memory swamps.
    ctest_args=(-LE large)
    ;;
  tsan)
    dir=build-tsan
    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELT_TSAN=ON -DVELT_BUILD_TESTS=ON -DVELT_BUILD_BENCH=OFF)
    # Races inside Qt and GLib, whose own locks TSan cannot see (they are not built with it), are
    # not ours to find: only calls from our instrumented code are watched.
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1
    # The suites that run threads: the engine's pipeline and parallel compression, worker
    # components, parallel jobs, the desktop application.
    ctest_args=(-R 'velt_(engine|batch|cli|ui)_tests')
    targets=(--target velt_engine_tests velt_batch_tests velt_cli_tests velt_ui_tests)
    ;;
esac

cmake -S . -B "$dir" "${flags[@]}"
cmake --build "$dir" -j "$jobs" "${targets[@]}"
ctest --test-dir "$dir" --output-on-failure -j "$jobs" "${ctest_args[@]}" ${VELT_CTEST_ARGS:-}
