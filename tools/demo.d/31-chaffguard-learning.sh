# chaffguard learning: a missed spam is redirected by its local recipient to the
# spam correction address, the next inbound message works off the correction
# batch (training rounds, the sender blacklisted) and, being the same spam once
# more, is caught.
echo "=== chaffguard: learning from a correction"
lbase="$root/chaffguard-learning"
mkdir -p "$lbase/MAIL/bob" "$lbase/MAIL/spam" "$lbase/MAIL/nospam"
printf '[chaffguard]\r\nEnabled=1\r\nLogFile=cg.log\r\nSpamAddr=spam\r\nNoSpamAddr=nospam\r\n' >"$lbase/chaffguard.ini"
printf 'Received: from client (203.0.113.9) by mail.example.com\r\nFrom: Eve <eve@ext.example>\r\nSubject: cheap watches\r\n\r\nreplica watches cheap today\r\n' \
  >"$lbase/spam.eml"
lhost="$repo/build/native/chaffguard/bin/chaffguard-host"
( cd "$lbase" &&
  "$lhost" --base "$lbase" --from eve@ext.example --to bob@localhost spam.eml &&
  "$lhost" --base "$lbase" --flags 0x800 --from bob@localhost --to spam@localhost spam.eml &&
  "$lhost" --base "$lbase" --from eve@ext.example --to bob@localhost spam.eml ) | sed "s|$lbase/||g"
echo "--- plug-in log:"
sed 's/\r$//' "$lbase/cg.log"
echo "--- blacklist: $(command -v sqlite3 >/dev/null && sqlite3 "$lbase/white4.db3" 'SELECT mail FROM white WHERE kind=1')"
