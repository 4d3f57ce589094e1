#!/usr/bin/env bash
# gui_test.sh WINE_RUN DRIVER.exe INSTALLER.exe OUTPUT_DIR
# Runs the window-driving test of corvinst.exe under Wine and turns its
# screenshots into PNG files in OUTPUT_DIR.
set -uo pipefail
wine_run=$1 driver=$2 installer=$3 out=$4
[ -f "$installer" ] || { echo "missing $installer"; exit 1; }
rm -f "$out"/corvinst-*.bmp "$out"/corvinst-*.png
"$wine_run" --timeout 150 "$driver" | tr -d '\r'
status=${PIPESTATUS[0]}
for bmp in "$out"/corvinst-*.bmp; do
  [ -f "$bmp" ] || continue
  if command -v convert >/dev/null 2>&1 && convert "$bmp" "${bmp%.bmp}.png"; then
    rm -f "$bmp"
    echo "screenshot: ${bmp%.bmp}.png"
  else
    echo "screenshot: $bmp"
  fi
done
exit "$status"
