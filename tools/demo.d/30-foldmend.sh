# foldmend: checks, repairs, fixes IDs and compacts a small damaged folder,
# natively and as foldmend.exe under Wine, with the message output shown.
echo "=== foldmend: folder maintenance on $root/MAIL/box"
gen="$repo/build/native/foldmend/tests/foldmend_genfolder"
fm="$repo/build/native/foldmend/foldmend"
box="$root/MAIL/box"
mkdir -p "$box"
"$gen" "$box" INBOX 12 300 4 5 nul      # NUL bytes in message 0, some duplicate IDs
"$gen" "$box" SENT 6 300 0 6 none
ls -l "$box" | sed 1d
# Runs a command, shows its output without CRs and its exit status (the
# status is the number of the last numbered message, so rarely 0).
fm_show() {
  local s=0
  "$@" > "$root/tmp/foldmend-out.txt" 2>&1 || s=$?
  tr -d '\r' < "$root/tmp/foldmend-out.txt"
  echo "(exit status $s)"
}
echo "--- native: foldmend -QU -CH $box/*.VTM"
FOLDMEND_ECHO=1 fm_show "$fm" -QU -CH "$box/*.VTM"
echo "--- native: foldmend -QU -RE $box/INBOX.VTM (repair, then fix IDs)"
FOLDMEND_ECHO=1 TEMP="$root/tmp" fm_show "$fm" -QU -RE "$box/INBOX.VTM"
echo "--- Windows: foldmend.exe -QU -CO Z:...\\*.VTM (compaction), then -CH"
winbox="Z:$(echo "$box" | tr / '\\')"
FOLDMEND_ECHO=1 fm_show "$repo/tools/wine-run" "$repo/build/win64/foldmend/foldmend.exe" -QU -CO "$winbox\\*.VTM" -CH "$winbox\\*.VTM"
ls -l "$box" | sed 1d
