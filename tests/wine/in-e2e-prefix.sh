#!/usr/bin/env bash
# Runs a Windows program in the end-to-end prefix, where tests replace netapi32.dll
# with their own, and makes Wine load that file instead of its built-in one.
#   in-e2e-prefix.sh [--prefix NAME] PROGRAM ARGS...
# NAME picks one of the copies scripts/with-wine makes, such as 144dpi or
# 288dpi-640x480; the driver is told the density that prefix runs at.
set -euo pipefail
export WINEPREFIX=${VELNART_E2E_PREFIX:?run this under scripts/with-wine}
if [ "$1" = --prefix ]; then
    export WINEPREFIX=$VELNART_E2E_PREFIX-$2
    [[ $2 =~ ^([0-9]+)dpi ]] && export VELNART_EXPECT_DPI=${BASH_REMATCH[1]}
    shift 2
fi
export WINEDLLOVERRIDES=netapi32=n
exec wine "$@"
