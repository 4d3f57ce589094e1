#!/usr/bin/env bash
# Builds the folder fuzz target with clang (libFuzzer, ASan, UBSan) into
# build/fuzz and, with "run [SECONDS]", runs it on a seed corpus.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
out="$repo/build/fuzz"
mkdir -p "$out"
srcs=(fileio format context winfs check header_values header_parser repair compact fixids dirlist_posix)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -D_FILE_OFFSET_BITS=64 -I"$repo/foldmend")
files=()
for s in "${srcs[@]}"; do files+=("$repo/foldmend/$s.cpp"); done
clang++ "${flags[@]}" "${files[@]}" "$repo/foldmend/fuzz/folder_fuzz.cpp" -o "$out/folder_fuzz"
echo "built $out/folder_fuzz"
if [ "${1:-}" = "run" ]; then
  secs=${2:-600}
  corpus="$out/corpus"
  mkdir -p "$corpus"
  # Seeds: a sound folder and damaged ones made by the generator.
  gen="$repo/build/native/foldmend/tests/foldmend_genfolder"
  if [ -x "$gen" ]; then
    tmp=$(mktemp -d)
    for d in none sequence bounds ctrlz dupids nul doublez truncated; do
      "$gen" "$tmp" S 4 60 2 1 "$d"
      python3 - "$tmp/S.VTM" "$tmp/S.VTI" "$corpus/seed-$d" <<'PY'
import sys
m = open(sys.argv[1], 'rb').read(); i = open(sys.argv[2], 'rb').read()
open(sys.argv[3], 'wb').write(bytes([len(m) & 255, len(m) >> 8]) + m + i)
PY
    done
    rm -rf "$tmp"
  fi
  "$out/folder_fuzz" -max_total_time="$secs" -max_len=8192 -timeout=10 "$corpus" 2>&1 | tail -15
fi
