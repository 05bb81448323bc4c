#!/bin/bash
# Installs what is missing, builds, and runs every test under Wine on its own
# X display. The exit code is the tests' result. Screenshots of the end-to-end
# tests are left as PNG files in BUILD_DIR/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/wine-env.sh
fw_env_start

rm -rf "$BUILD_DIR/screenshots"
status=0
ctest --test-dir "$BUILD_DIR" --output-on-failure || status=$?
fw_screenshots_to_png "$BUILD_DIR/screenshots"
echo "Screenshots: $BUILD_DIR/screenshots"
exit $status
