#!/bin/sh
# Prints the table of the "Reliability" section of docs/reliability.md from the rows of the fault suite.
# Build first (cmake --build --preset default); run from the top of the source tree.
set -e
exec "${1:-build/bin/fault_tests}" --reliability-table
