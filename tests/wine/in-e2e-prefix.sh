#!/usr/bin/env bash
# Runs a Windows program in the end-to-end prefix, where tests replace netapi32.dll
# with their own, and makes Wine load that file instead of its built-in one.
#   in-e2e-prefix.sh [--144dpi] PROGRAM ARGS...
set -euo pipefail
export WINEPREFIX=${VELNART_E2E_PREFIX:?run this under scripts/with-wine}
if [ "$1" = --144dpi ]; then
    export WINEPREFIX=$VELNART_E2E_144DPI_PREFIX VELNART_EXPECT_DPI=144
    shift
fi
export WINEDLLOVERRIDES=netapi32=n
exec wine "$@"
