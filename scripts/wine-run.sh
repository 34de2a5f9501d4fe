#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix and X display (ctest's emulator).
set -e
source "$(dirname "$0")/wine-env.sh"
wine_ready
exec wine "$@"
