# chaffguard: the plug-in run by the stand-in mail server host, natively and
# as chaffguard.dll under Wine, over a small mail server base directory.
echo "=== chaffguard: the antispam plug-in inside the stand-in host"
cgbase="$root/chaffguard"
mkdir -p "$cgbase/MAIL/bob" "$cgbase/MAIL/spam" "$cgbase/MAIL/nospam"
printf '[chaffguard]\r\nEnabled=1\r\nDebug=1\r\nLogFile=cg.log\r\nSpamAddr=spam\r\nNoSpamAddr=nospam\r\nLocalIP=127.0.0.1/8,192.168.1.0/24\r\n' \
  > "$cgbase/chaffguard.ini"
printf 'Received: from client (203.0.113.9) by mail.example.com\r\nFrom: Eve <eve@ext.example>\r\nSubject: offer\r\n\r\nbuy now\r\n' \
  > "$cgbase/inbound.eml"
printf 'Received: from pc (192.168.1.5) by mail.example.com\r\nFrom: Bob <bob@localhost>\r\nSubject: hi\r\n\r\nhello\r\n' \
  > "$cgbase/outbound.eml"
host="$repo/build/native/chaffguard/bin/chaffguard-host"
echo "--- native: an inbound message, an outbound one, a refused correction"
( cd "$cgbase" &&
  "$host" --base "$cgbase" --from eve@ext.example --to bob@localhost inbound.eml &&
  "$host" --base "$cgbase" --from bob@localhost --to friend@ext.example outbound.eml &&
  "$host" --base "$cgbase" --from eve@ext.example --to spam@localhost inbound.eml ) | sed "s|$cgbase/||g"
echo "--- Windows: chaffguard-host.exe loading chaffguard.dll, host version 4.0"
winbase="$root/chaffguard-win"
cp -r "$cgbase" "$winbase"
rm -f "$winbase"/*.db3 "$winbase"/cg.log "$winbase"/host.log
( cd "$winbase" && "$repo/tools/wine-run" "$repo/build/win64/chaffguard/bin/chaffguard-host.exe" \
    --base . --host-version 4.0 --flags 0x800 --from bob@localhost --to friend@ext.example outbound.eml | tr -d '\r' )
echo "--- plug-in log (native):"
sed 's/\r$//' "$cgbase/cg.log"
echo "--- host log (native):"
cat "$cgbase/host.log"
echo "--- plug-in log and host log (Windows):"
sed 's/\r$//' "$winbase/cg.log"
cat "$winbase/host.log"
echo "--- schema of words4.db3 and white4.db3 written under Wine, read by Linux's sqlite3:"
if command -v sqlite3 >/dev/null; then
  sqlite3 "$winbase/words4.db3" .schema
  sqlite3 "$winbase/white4.db3" .schema
  echo "whitelist: $(sqlite3 "$winbase/white4.db3" 'SELECT kind, mail FROM white')"
fi
