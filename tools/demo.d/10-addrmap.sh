# addrmap: compiles a sample alias list, natively and as addrmap.exe under Wine.
echo "=== addrmap: compile $repo/tools/demo.d/aliases.txt"
cp "$repo/tools/demo.d/aliases.txt" "$root/MAIL/aliases.txt"
echo "--- native: addrmap aliases.txt aliases.bin"
TMP="$root/tmp" "$repo/build/native/addrmap/addrmap" "$root/MAIL/aliases.txt" "$root/MAIL/aliases.bin" \
  && echo "(exit status $?)"
echo "--- Windows: addrmap.exe aliases.txt aliases-win.bin"
( cd "$root/MAIL" && TMP='C:\windows\temp' "$repo/tools/wine-run" "$repo/build/win64/addrmap/addrmap.exe" \
    aliases.txt aliases-win.bin | tr -d '\r' ) && echo "(exit status $?)"
if cmp -s "$root/MAIL/aliases.bin" "$root/MAIL/aliases-win.bin"; then
  echo "both alias files are identical: $(stat -c %s "$root/MAIL/aliases.bin") bytes"
else
  echo "the two alias files differ!"; exit 1
fi
echo "--- the sorted records (alias -> target):"
python3 - "$root/MAIL/aliases.bin" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
print(f"header: {data[:26]!r} then 0x{data[26]:02x}")
for off in range(128, len(data), 360):
    rec = data[off:off + 360]
    alias = rec[:180].split(b'\0')[0].decode('latin-1')
    target = rec[180:].split(b'\0')[0].decode('latin-1')
    print(f"  {alias:<20} -> {target}")
PY
