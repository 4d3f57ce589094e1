#!/usr/bin/env bash
# program_test.sh GENFOLDER PROGRAM [RUNNER]: exit codes of the real program.
set -u
gen=$1 prog=$2 runner=${3:-}
dir=$(mktemp -d /tmp/fm-prog-XXXXXX)
trap 'rm -rf "$dir"' EXIT
path() {  # a path as the program sees it
  if [ -n "$runner" ]; then echo "Z:$1" | tr / '\\'; else echo "$1"; fi
}
fail=0
expect() {  # expect CODE ARGS...
  local want=$1; shift
  $runner "$prog" "$@" >"$dir/out" 2>"$dir/err"
  local got=$?
  if [ "$got" != "$want" ]; then echo "FAIL: $* -> $got, expected $want"; fail=1; else echo "ok: $* -> $got"; fi
}
mkdir "$dir/ok" "$dir/bad"
$runner "$gen" "$(path "$dir/ok")" GOOD 20
$runner "$gen" "$(path "$dir/ok")" ALSO 5
$runner "$gen" "$(path "$dir/bad")" DAMAGED 5 100 0 1 sequence
expect 0 -QU -CH "$(path "$dir/ok/*.VTM")"
expect 13 -QU -CH "$(path "$dir/bad/*.VTM")"
expect 41 -QU -CH "$(path "$dir/none/*.VTM")"
expect 0 -QU -RE "$(path "$dir/bad/DAMAGED.VTM")" -CH "$(path "$dir/bad/DAMAGED.VTM")"
expect 0 -QU -CO "$(path "$dir/ok/*.VTM")"
expect 0 -QU -FI "$(path "$dir/ok/GOOD.VTM")"
expect 0 -QU -XY
if [ -z "$runner" ]; then
  expect 0 -CH
  grep -q '#033 -CHECK command incomplete or invalid' "$dir/err" || { echo "FAIL: no #033 on stderr"; fail=1; }
  expect 0 -XY
  grep -q 'FOLDMEND option' "$dir/out" || { echo "FAIL: no usage text"; fail=1; }
fi
exit $fail
