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
echo "--- native: foldmend -QU -CH $box/*.VTM"
FOLDMEND_ECHO=1 "$fm" -QU -CH "$box/*.VTM" | tr -d '\r'; echo "(exit status ${PIPESTATUS[0]})"
echo "--- native: foldmend -QU -RE $box/INBOX.VTM (repair, then fix IDs)"
FOLDMEND_ECHO=1 TEMP="$root/tmp" "$fm" -QU -RE "$box/INBOX.VTM" | tr -d '\r'; echo "(exit status ${PIPESTATUS[0]})"
echo "--- Windows: foldmend.exe -QU -CO Z:...\\*.VTM (compaction), then -CH"
winbox="Z:$(echo "$box" | tr / '\\')"
FOLDMEND_ECHO=1 "$repo/tools/wine-run" "$repo/build/win64/foldmend/foldmend.exe" -QU -CO "$winbox\\*.VTM" -CH "$winbox\\*.VTM" \
  | tr -d '\r'; echo "(exit status ${PIPESTATUS[0]})"
ls -l "$box" | sed 1d
