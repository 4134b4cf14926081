# Shared by the shell checks, which source it: a scratch folder removed at
# exit, and `expect`, which counts failures in $failures.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() {  # expect WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then
        echo "ok: $1: $3"
    else
        echo "FAILED: $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}
