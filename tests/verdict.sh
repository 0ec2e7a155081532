# The checks' report, shared by the check scripts: one line per check, "PASS name" or
# "FAIL name: detail", and the count of failures. Sourced, not run.
failures=0
verdict() { # $1: name, $2: 0 for pass, $3: detail on failure
    if [ "$2" -eq 0 ]; then
        echo "PASS $1"
    else
        echo "FAIL $1: $3"
        failures=$((failures + 1))
    fi
}
