# The steps the package and window checks share (a check, the closing count, waiting, the
# simulated device's start), sourced by scripts/package-check.sh,
# scripts/windows-package-check.sh and scripts/windows-window-check.sh. The check sets
# check_name (the start of each of its lines) and work (its temporary folder) first.
# Each check prints one line; with TOVREL_CHECK_VERBOSE set, what it found as well.
passed=0
failed=0

check() {  # check NAME COMMAND...: runs the command, its output kept for a failure
    local name=$1
    shift
    if "$@" >"$work/out" 2>&1; then
        echo "$check_name: ok     $name"
        [ -z "${TOVREL_CHECK_VERBOSE:-}" ] || sed 's/^/    /' "$work/out"
        passed=$((passed + 1))
    else
        echo "$check_name: FAILED $name"
        sed 's/^/    /' "$work/out"
        failed=$((failed + 1))
    fi
}

finish() {  # the closing count; the exit status is non-zero when any check failed
    echo "$check_name: $passed checks ok, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

wait_for() {  # wait_for SECONDS COMMAND...: true once the command is
    local tries=$(($1 * 10))
    shift
    for _ in $(seq 1 "$tries"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# serve_simulator PROGRAM ARGUMENTS...: the simulated device started in the background, its
# process in sim_pid, and waited for until it prints the path of the terminal it serves (into
# $work/sim-path); false, with what it said, when it ends first or takes more than 5 s.
serve_simulator() {
    "$@" >"$work/sim-path" 2>"$work/sim-errors" &
    sim_pid=$!
    for _ in $(seq 1 100); do
        [ -s "$work/sim-path" ] && break
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.05
    done
    [ -s "$work/sim-path" ] || { cat "$work/sim-errors"; return 1; }
}
