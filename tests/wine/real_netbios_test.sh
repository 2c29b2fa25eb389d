#!/usr/bin/env bash
# Runs the real-service discovery test with the kernel's view of the interfaces.
set -euo pipefail
exe=$1
mapfile -t addresses < <("$(dirname "$0")/interface_addresses.sh")

# With a non-loopback IPv4 interface, the service has an adapter to report.
require=()
if ip -4 -o addr show scope global | grep -q inet; then
    require=(--require-one)
fi

exec wine "$exe" "${require[@]}" "${addresses[@]}"
