#!/usr/bin/env bash
# Checks that the README's two commands work on a machine that has nothing but Debian 12:
# makes a minimal Debian 12 root with debootstrap, clones this checkout's committed HEAD into it
# and runs, as root in a chroot with a clean environment,
#   1. bash scripts/run-game.sh: it installs, builds and then runs the game forever, so it
#      passes once the game has printed frame-time lines and then exits 0 on SIGTERM;
#   2. bash scripts/run-tests.sh: every stage must pass.
# Ends with one verdict line holding the time of each phase; exits non-zero on failure.
#
#   bash scripts/fresh-machine.sh [--dir DIR] [--keep]
#
#   --dir DIR  work folder (default: a new one under /var/tmp): DIR/root is the Debian root,
#              DIR/*.log the output of each phase; the logs stay afterwards
#   --keep     keep DIR/root afterwards (default: remove it)
#
# Environment:
#   VOLK_FRESH_MIRROR      Debian mirror (default: the one this machine's apt sources use)
#   VOLK_FRESH_GAME_LIMIT  seconds the game command may take to print frame lines (default 3600)
#   VOLK_FRESH_TEST_LIMIT  seconds the test command may take (default 14400)
#
# Needs root, git and the mirror reachable; installs debootstrap when it is missing.
# CPU-heavy: every build runs from cold.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
game_limit="${VOLK_FRESH_GAME_LIMIT:-3600}"
test_limit="${VOLK_FRESH_TEST_LIMIT:-14400}"
frames_wanted=3  # thirty frames drawn: the game really runs, not just opens

dir=""
keep=0
while [ $# -gt 0 ]; do
    case "$1" in
        --dir) dir="${2:?--dir needs a folder}"; shift 2 ;;
        --keep) keep=1; shift ;;
        -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
        *) echo "fresh-machine: unknown option $1 (see --help)" >&2; exit 2 ;;
    esac
done

say() { printf 'fresh-machine: %s\n' "$*"; }
die() { say "$*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || die "needs root (debootstrap, mount and chroot)"
if ! command -v debootstrap > /dev/null; then
    say "installing debootstrap on this machine"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap > /dev/null ||
        die "debootstrap is missing and could not be installed"
fi
command -v git > /dev/null || die "git is not installed"

# The mirror this machine's apt already uses for bookworm: deb822 .sources files and one-line
# .list files (apt ignores files with other endings, so do we).
host_mirror() {
    local lists=() sources=() f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] && lists+=("$f")
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && sources+=("$f")
    done
    {
        if [ ${#sources[@]} -gt 0 ]; then
            awk 'BEGIN { RS = ""; FS = "\n" }
            {
                types = ""; uris = ""; suites = ""; enabled = "yes"
                for (i = 1; i <= NF; i++) {
                    if ($i ~ /^[ \t]*#/) continue
                    key = tolower($i); sub(/:.*/, "", key)
                    value = $i; sub(/^[^:]*:[ \t]*/, "", value)
                    if (key == "types") types = value
                    else if (key == "uris") uris = value
                    else if (key == "suites") suites = value
                    else if (key == "enabled") enabled = tolower(value)
                }
                if (enabled == "no" || (" " types " ") !~ / deb / ||
                    (" " suites " ") !~ /[ \t]bookworm[ \t]/) next
                split(uris, u, /[ \t]+/)
                print u[1]
            }' "${sources[@]}"
        fi
        if [ ${#lists[@]} -gt 0 ]; then
            awk '$1 == "deb" {
                i = 2
                if ($i ~ /^\[/) { while (i < NF && $i !~ /\]$/) i++; i++ }
                if ($(i + 1) == "bookworm") print $i
            }' "${lists[@]}"
        fi
    } | grep -E '^(https?|ftp|file)://' | head -n 1
}

mirror="${VOLK_FRESH_MIRROR:-$(host_mirror || true)}"
[ -n "$mirror" ] || die "no bookworm mirror in /etc/apt; set VOLK_FRESH_MIRROR"

if [ -z "$dir" ]; then
    dir="$(mktemp -d /var/tmp/volk-fresh.XXXXXX)"
fi
mkdir -p "$dir"
dir="$(cd "$dir" && pwd -P)"
case "$dir" in
    *[[:space:]]*) die "the work folder's path must not contain spaces: $dir" ;;
esac
root="$dir/root"
[ ! -e "$root" ] || die "$root already exists; a fresh root needs an empty place"

mounted=()
bg_pid=""  # the phase's command, run in the background so that signals are heard at once
phase="root"
root_time="-"
game_time="-"
test_time="-"

# Processes whose root directory is the fresh root: everything the chroot started, however
# deep; with a name, only those of that name.
root_pids() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] || continue
        if [ -n "${1:-}" ] && [ "$(cat "$p/comm" 2>/dev/null)" != "$1" ]; then
            continue
        fi
        echo "${p#/proc/}"
    done
}

end_root_processes() {
    local pids _
    pids="$(root_pids)"
    [ -n "$pids" ] || return 0
    # shellcheck disable=SC2086
    kill -TERM $pids 2>/dev/null || true
    for _ in $(seq 20); do
        [ -n "$(root_pids)" ] || return 0
        sleep 0.5
    done
    pids="$(root_pids)"
    # shellcheck disable=SC2086
    [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
    for _ in $(seq 20); do
        [ -n "$(root_pids)" ] || return 0
        sleep 0.5
    done
    say "processes in the root would not end: $(root_pids | tr '\n' ' ')" >&2
}

# Mount points at or below the root, deepest first.
mounts_below_root() {
    awk -v r="$root" '$5 == r || index($5, r "/") == 1 { print $5 }' /proc/self/mountinfo |
        sort -r
}

unmount_all() {
    local i m
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2> /dev/null || umount -l "${mounted[i]}" || true
    done
    mounted=()
    for m in $(mounts_below_root); do
        umount -l "$m" || true
    done
}

finish() {
    local status=$?
    trap - EXIT INT TERM
    set +e
    if [ -n "$bg_pid" ] && kill -0 "$bg_pid" 2> /dev/null; then
        kill -TERM "$bg_pid" 2> /dev/null
        wait "$bg_pid" 2> /dev/null
    fi
    if [ -d "$root" ]; then
        end_root_processes
        unmount_all
        if [ -n "$(mounts_below_root)" ]; then
            say "still mounted below $root; not removing it:" >&2
            mounts_below_root >&2
        elif [ "$keep" -eq 0 ]; then
            # NOTE: --one-file-system: should a bind of the host's /dev survive after all, it
            # must not be emptied through the root.
            rm -rf --one-file-system "$root"
        else
            say "root kept in $root"
        fi
    fi
    local times="root $root_time s, game $game_time s, tests $test_time s"
    if [ "$status" -eq 0 ]; then
        echo "fresh-machine: PASS ($times)"
    else
        echo "fresh-machine: FAIL in the $phase phase ($times); logs in $dir"
    fi
    exit "$status"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mount_in_root() {
    local target="${*: -1}"
    mount "$@"
    mounted+=("$target")
}

# A shell in the clone, as root in the chroot, with nothing from this shell's environment:
# no DISPLAY, no compiler launchers, no locale. The command line follows.
root_shell=(chroot "$root" /usr/bin/env -i
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root TERM=dumb
    /bin/bash -c)

frame_lines() {
    grep -cE '^([0-9]+\.[0-9]{6} ){10}$' "$1" || true
}

# NOTE: the phases sit in a function so that bash has read all of them before the first starts:
# a checkout or an edit during a run would otherwise change the rest of the script under it.
main() {
    if [ -n "$(git -C "$top" status --porcelain --untracked-files=no)" ]; then
        say "NOTE: uncommitted changes in $top are not part of this check"
    fi

    # --- a clean Debian 12 root -------------------------------------------------------------------
    say "making a Debian 12 root in $root from $mirror (log: $dir/debootstrap.log)"
    start=$SECONDS
    debootstrap --variant=minbase bookworm "$root" "$mirror" > "$dir/debootstrap.log" 2>&1 &
    bg_pid=$!
    wait "$bg_pid" || {
        tail -n 30 "$dir/debootstrap.log"
        die "debootstrap failed"
    }
    mount_in_root -t proc proc "$root/proc"
    mount_in_root -t sysfs sysfs "$root/sys"
    mount_in_root --bind /dev "$root/dev"
    mount_in_root --bind /dev/pts "$root/dev/pts"
    # NOTE: the bind of /dev is not recursive: without its own tmpfs, /dev/shm in the root would be
    # the host's bare /dev directory underneath its shm mount.
    mount_in_root -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
    # NOTE: debootstrap leaves out /etc/hosts, which Debian's installer (or a cloud image) writes
    # on every real machine; without it "localhost" does not resolve, and chromedriver, which
    # selenium reaches as localhost, looks dead to the page's tests.
    printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' \
        > "$root/etc/hosts"
    git clone --quiet --no-hardlinks "$top" "$root/root/volk5pellor"
    say "cloned $(git -C "$root/root/volk5pellor" log -1 --format='%h %s')"
    root_time=$((SECONDS - start))

    # --- the game command -------------------------------------------------------------------
    phase="game"
    say "bash scripts/run-game.sh (log: $dir/game.log)"
    start=$SECONDS
    "${root_shell[@]}" "cd /root/volk5pellor && bash scripts/run-game.sh" > "$dir/game.log" 2>&1 &
    bg_pid=$!
    stopped=0
    while kill -0 "$bg_pid" 2> /dev/null; do
        if [ "$stopped" -eq 0 ] && [ "$(frame_lines "$dir/game.log")" -ge "$frames_wanted" ]; then
            # SIGTERM reaches the game as a quit request: it closes and exits 0, and xvfb-run and
            # run-game.sh pass that on.
            pids="$(root_pids volk5pellor)"
            if [ -n "$pids" ]; then
                # shellcheck disable=SC2086
                kill -TERM $pids 2> /dev/null || true
                stopped=1
                stop_time=$SECONDS
            fi
        fi
        if [ "$stopped" -eq 0 ] && ((SECONDS - start > game_limit)); then
            say "no frame-time lines after ${game_limit} s" >&2
            end_root_processes
            break
        fi
        if [ "$stopped" -eq 1 ] && ((SECONDS - stop_time > 60)); then
            say "the game did not end within 60 s of SIGTERM" >&2
            end_root_processes
            break
        fi
        sleep 2
    done
    game_status=0
    wait "$bg_pid" || game_status=$?
    game_time=$((SECONDS - start))
    lines="$(frame_lines "$dir/game.log")"
    if [ "$stopped" -ne 1 ] || [ "$game_status" -ne 0 ]; then
        grep -vE '^([0-9]+\.[0-9]{6} ){10}$' "$dir/game.log" | tail -n 40
        die "the game command failed: $lines frame-time lines, exit status $game_status"
    fi
    say "the game printed $lines frame-time lines and exited 0 on SIGTERM"
    end_root_processes

    # --- the test command -------------------------------------------------------------------
    phase="tests"
    say "bash scripts/run-tests.sh (log: $dir/tests.log)"
    start=$SECONDS
    test_status=0
    timeout --kill-after=60 "$test_limit" \
        "${root_shell[@]}" "cd /root/volk5pellor && bash scripts/run-tests.sh" \
        > "$dir/tests.log" 2>&1 &
    bg_pid=$!
    wait "$bg_pid" || test_status=$?
    test_time=$((SECONDS - start))
    end_root_processes
    grep -E '^=== ' "$dir/tests.log" | sed 's/^/  /'
    if [ "$test_status" -ne 0 ]; then
        grep -E 'tests passed|\(Failed\)|\(Timeout\)|\*\*\*|^FAIL' "$dir/tests.log" | tail -n 40
        tail -n 30 "$dir/tests.log"
        die "the test command failed with status $test_status"
    fi
    # NOTE: a ctest that finds no tests exits 0; both test stages must have run a test list.
    passed="$(grep -c 'tests passed, 0 tests failed out of [1-9]' "$dir/tests.log" || true)"
    if [ "$passed" -lt 2 ]; then
        die "the test command passed without running both test lists"
    fi
    phase="done"
}

main
