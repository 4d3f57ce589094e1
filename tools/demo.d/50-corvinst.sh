# corvinst: installs the mail server as a Windows service from the demo
# root, driving the installer's dialog under Wine (service names start with
# "corvinst-test-gui-" and are removed again), and keeps screenshots.
echo "=== corvinst: service installer run from $root/MAIL"
cp "$repo/build/win64/corvinst/corvinst.exe" "$root/MAIL/corvinst.exe"
mkdir -p "$root/screenshots"
echo "--- Windows: the dialog filled in and confirmed, each outcome checked in the Service Control Manager"
( cd "$root/MAIL" && "$repo/tools/wine-run" --timeout 150 \
    "$repo/build/win64/corvinst/tests/corvinst_gui_driver.exe" corvinst.exe ../screenshots \
    | tr -d '\r' | grep -Ev '^ok: (desktop|boot) box as set|^ok: name edit is' )
for bmp in "$root"/screenshots/corvinst-*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp" && echo "screenshot: ${bmp%.bmp}.png"
done
