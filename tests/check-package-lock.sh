#!/bin/sh
# scripts/install-deps.sh waits while another install holds a lock of the
# package system, in each of its steps, then carries on; after the wait it
# gives up in one line that names the lock and its holder. Checked with
# stand-in dpkg, dpkg-query and apt-get on PATH that only say "locked" for
# a number of tries: nothing is installed and no network is used.
#
#   check-package-lock.sh SOURCE_DIR
source="$1"
. "$source/tests/check-support.sh"

expect_true() {  # expect_true WHAT TEST-ARGUMENTS...
    what="$1"
    shift
    if [ "$@" ]; then
        echo "ok: $what"
    else
        echo "FAILED: $what ($*)"
        failures=$((failures + 1))
    fi
}

# The stand-ins. FAKE_LOCKED names the step whose lock is held ("dpkg",
# "update" or "install") and FAKE_TRIES for how many of its tries; each try
# and each step that ran is written to $FAKE_LOG.
mkdir "$work/bin" "$work/no-binfmt"
cat >"$work/bin/fake-step" <<'EOF'
#!/bin/sh
# fake-step STEP LOCKED-MESSAGE [ARGUMENTS...]
step="$1"
message="$2"
shift 2
echo "try $step" >>"$FAKE_LOG"
if [ "$FAKE_LOCKED" = "$step" ] &&
    [ "$(grep -c "^try $step\$" "$FAKE_LOG")" -le "$FAKE_TRIES" ]; then
    echo "$message" >&2
    exit 100
fi
if [ "$FAKE_FAILING" = "$step" ]; then
    echo "E: The repository 'http://example.invalid bookworm Release' does not have a Release file." >&2
    exit 100
fi
echo "ran $step $*" >>"$FAKE_LOG"
EOF
cat >"$work/bin/dpkg" <<'EOF'
#!/bin/sh
exec fake-step dpkg "dpkg: error: dpkg frontend lock was locked by another process with pid 4242" "$@"
EOF
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/sh
held="It is held by process 4242 (apt-get)"
case " $* " in
*" update "*) exec fake-step update "E: Could not get lock /var/lib/apt/lists/lock. $held" "$@" ;;
*) exec fake-step install "E: Could not get lock /var/lib/dpkg/lock-frontend. $held" "$@" ;;
esac
EOF
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
printf '#!/bin/sh\necho Wine 8.0\n' >"$work/wineserver32"
chmod +x "$work/bin/"* "$work/wineserver32"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# install LOCKED TRIES WAIT_SECONDS [FAILING]: runs the script; sets status,
# out, err, elapsed (ms), and log (what the stand-ins saw).
install() {
    : >"$work/log"
    start=$(now_ms)
    status=0
    FAKE_LOCKED="$1" FAKE_TRIES="$2" FAKE_FAILING="${4:-}" FAKE_LOG="$work/log" \
        QM_LOCK_WAIT_SECONDS="$3" QM_LOCK_RETRY_SECONDS=1 PATH="$work/bin:$PATH" \
        QM_WINESERVER32="$work/wineserver32" QM_BINFMT_DIR="$work/no-binfmt" QUILLMERE_EMULATE_I386=0 \
        sh "$source/scripts/install-deps.sh" >"$work/out" 2>"$work/err" || status=$?
    elapsed=$(($(now_ms) - start))
    out=$(cat "$work/out")
    err=$(cat "$work/err")
    log=$(cat "$work/log")
}

tries() { printf '%s\n' "$log" | grep -c "^try $1\$"; }
ran() { printf '%s\n' "$log" | grep -c "^ran $1 "; }

# Held for two tries of each step in turn: the script waits a second before
# each new try, then installs, within a wait of 30 seconds.
for step in dpkg update install; do
    install "$step" 2 30
    expect "$step held twice: succeeds" 0 "$status"
    expect "$step held twice: tried three times" 3 "$(tries "$step")"
    expect_true "$step held twice: waited between the tries ($elapsed ms)" "$elapsed" -ge 2000
    expect "$step held twice: the packages were installed" 1 "$(ran install)"
    expect "$step held twice: says once that it waits" 1 "$(printf '%s\n' "$out" | grep -c 'waiting: .*4242')"
    expect "$step held twice: no errors" "" "$err"
    # apt's own wait for the dpkg lock is what is left of the whole wait,
    # never the whole wait again.
    timeout=$(printf '%s\n' "$log" | sed -n 's/^ran install .*DPkg::Lock::Timeout=\([0-9]*\) .*/\1/p')
    expect_true "$step held twice: apt waits at most what is left (${timeout:-none} s)" \
        "${timeout:-99}" -le 29
    expect_true "$step held twice: apt waits for the dpkg lock at all (${timeout:-none} s)" \
        "${timeout:-0}" -ge 20
done

# Held for good: after a wait of 2 seconds, one line naming the lock and its
# holder, a failure, and nothing installed.
for step in dpkg update install; do
    install "$step" 1000 2
    expect "$step held for good: fails" 1 "$status"
    expect_true "$step held for good: waited before giving up ($elapsed ms)" "$elapsed" -ge 1000
    expect_true "$step held for good: gave up after the wait ($elapsed ms)" "$elapsed" -le 6000
    expect "$step held for good: one line" 1 "$(printf '%s\n' "$err" | wc -l)"
    case "$err" in
    *"locked"*"4242"*) echo "ok: $step held for good: names the lock's holder: $err" ;;
    *) echo "FAILED: $step held for good: message was: $err"; failures=$((failures + 1)) ;;
    esac
    expect "$step held for good: nothing installed" 0 "$(ran install)"
done

# Any other failure is no reason to wait: it stops the install at once, with
# the step's own message.
install "" 0 30 update
expect "failed update: fails" 100 "$status"
expect_true "failed update: at once ($elapsed ms)" "$elapsed" -lt 1000
expect "failed update: tried once" 1 "$(tries update)"
case "$err" in
*"does not have a Release file"*) echo "ok: failed update: shows apt's message" ;;
*) echo "FAILED: failed update: message was: $err"; failures=$((failures + 1)) ;;
esac
expect "failed update: nothing installed" 0 "$(ran install)"

[ $failures -eq 0 ]
