# Sourced by the install checks: failures are counted as they come and summed up at the end.
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# Runs a checker that must succeed and print nothing (warnings count as failures).
quiet() {
    local output
    if ! output=$("$@" 2>&1) || [ -n "$output" ]; then
        fail "$*"
        printf '%s\n' "$output" | sed 's/^/    /'
    fi
}
# Exits with 1 after any failure, else prints what was checked.
finish() {
    [ $failures -eq 0 ] || { echo "$failures failed"; exit 1; }
    echo "$*"
}
