#!/usr/bin/env bash
# kill_test.sh GENFOLDER PROGRAM [RUNNER]: compaction and repair of the real
# program, ended abruptly before each of their file-system changes in turn
# (FOLDMEND_STOP_AT=N: the program kills itself, SIGKILL or
# TerminateProcess) and, natively, after random delays (SIGKILL from here).
# After every kill the folder must be the old one or the new one, or pass
# the check after one -REPAIR; and every message kept by the operation must
# then be in the folder's master, whatever other files were left behind.
# With a RUNNER (tools/wine-run) the Windows programs run under it, on
# Windows paths, and only the stops at each change are made (a kill from
# outside would hit the runner, not the program).
set -u
gen=$1 prog=$2 runner=${3:-}
dir=$(mktemp -d "${TMPDIR:-/tmp}/fm-kill-XXXXXX")
trap 'rm -rf "$dir"' EXIT
export TEMP="$dir/tmp"
mkdir "$TEMP"
fail=0 kills=0 intact=0 repaired=0

path() {  # a path as the program sees it
  if [ -n "$runner" ]; then echo "Z:$1" | tr / '\\'; else echo "$1"; fi
}
fm() { $runner "$prog" "$@" </dev/null >/dev/null 2>&1; }
subjects() { grep -a -o 'Subject [0-9]*' "$1" | sort -u; }
same_pair() { cmp -s "$1/F.VTM" "$2/F.VTM" && cmp -s "$1/F.VTI" "$2/F.VTI"; }

# prepare NAME COUNT SIZE DAMAGE OP: the folder before (NAME.old), the folder
# after an uninterrupted OP (NAME.new) and the subjects the result holds.
prepare() {
  mkdir -p "$dir/$1.old"
  $runner "$gen" "$(path "$dir/$1.old")" F "$2" "$3" 0 7 "$4" </dev/null >/dev/null 2>&1 || exit 1
  cp -r "$dir/$1.old" "$dir/$1.new"
  fm -QU "-$5" "$(path "$dir/$1.new/F.VTM")" || { echo "FAIL: $5 on $1 -> $?"; exit 1; }
  subjects "$dir/$1.new/F.VTM" >"$dir/$1.kept"
  [ -s "$dir/$1.kept" ] || { echo "FAIL: no messages in $1"; exit 1; }
}

# verify NAME WHAT: the state left in $dir/w after a kill.
verify() {
  local how
  if fm -QU -CH "$(path "$dir/w/F.VTM")" && { same_pair "$dir/w" "$dir/$1.old" || same_pair "$dir/w" "$dir/$1.new"; }; then
    how=intact
    intact=$((intact + 1))
  else
    fm -QU -RE "$(path "$dir/w/F.VTM")"
    if ! fm -QU -CH "$(path "$dir/w/F.VTM")"; then
      echo "FAIL: $2: folder not brought back by -REPAIR ($(ls "$dir/w" | tr '\n' ' '))"
      fail=1
      return
    fi
    how=repaired
    repaired=$((repaired + 1))
  fi
  local lost
  lost=$(subjects "$dir/w/F.VTM" | comm -13 - "$dir/$1.kept" | wc -l)
  if [ "$lost" != 0 ]; then
    echo "FAIL: $2: $lost messages missing from the folder ($how; files: $(ls "$dir/w" | tr '\n' ' '))"
    fail=1
  fi
  kills=$((kills + 1))
}

# Before each file-system change in turn, until the operation finishes.
by_step() {  # by_step NAME OP
  local n=1 rc
  while :; do
    rm -rf "$dir/w"
    cp -r "$dir/$1.old" "$dir/w"
    FOLDMEND_STOP_AT=$n fm -QU "-$2" "$(path "$dir/w/F.VTM")"
    rc=$?
    if [ $rc -ne 137 ]; then
      [ $rc -eq 0 ] || { echo "FAIL: -$2 on $1 ended with $rc, neither stopped nor done"; fail=1; }
      [ $n -gt 2 ] || { echo "FAIL: -$2 on $1 made fewer than 2 file-system changes"; fail=1; }
      echo "ok: -$2 on $1 stopped before each of its $((n - 1)) file-system changes"
      return
    fi
    verify "$1" "-$2 on $1 stopped at change $n"
    n=$((n + 1))
    [ $n -lt 200 ] || { echo "FAIL: -$2 never finished"; fail=1; return; }
  done
}

# Killed from outside after random delays within the operation's run time.
by_time() {  # by_time NAME OP RUNS MAXMS
  local i pid
  for ((i = 0; i < $3; i++)); do
    rm -rf "$dir/w"
    cp -r "$dir/$1.old" "$dir/w"
    "$prog" -QU "-$2" "$dir/w/F.VTM" &
    pid=$!
    sleep "0.$(printf '%03d' $((RANDOM % $4)))"
    kill -KILL $pid 2>/dev/null
    wait $pid 2>/dev/null
    verify "$1" "-$2 on $1 killed after a random delay (run $i)"
  done
  echo "ok: -$2 on $1 killed $3 times after random delays"
}

prepare small 200 300 none CO
prepare dmg 200 300 nul RE
by_step small CO
by_step dmg RE
if [ -z "$runner" ]; then
  prepare big 4000 6000 none CO
  prepare bigdmg 4000 6000 doublez RE
  by_time big CO 12 80
  by_time bigdmg RE 12 80
fi
echo "$kills kills checked: $intact left the old or new folder, $repaired needed -REPAIR"
exit $fail
