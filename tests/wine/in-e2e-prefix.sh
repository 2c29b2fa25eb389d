#!/usr/bin/env bash
# Runs a Windows program in the end-to-end prefix, where tests replace netapi32.dll
# with their own, and makes Wine load that file instead of its built-in one.
set -euo pipefail
export WINEPREFIX=${VELNART_E2E_PREFIX:?run this under scripts/with-wine}
export WINEDLLOVERRIDES=netapi32=n
exec wine "$@"
