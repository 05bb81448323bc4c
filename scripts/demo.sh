#!/bin/bash
# Builds the wizard and runs it as a user would: on a sample machine with
# FrontPage 98, 2000 and 2002 installed, from a folder holding the sample kit
# and fernwick.exe. With a working $DISPLAY the wizard is yours to click
# through; otherwise it runs on Xvfb, where a tour clicks through every page,
# accepting everything, and saves a screenshot of each into screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
FERNWICK_DISPLAY=user
# A machine of its own: the FrontPage installation and log folder registered
# here must never meet the tests.
FERNWICK_PREFIX=demo-prefix
. scripts/wine-env.sh
interactive=false
fw_display_works && interactive=true
fw_env_start

drive_c="$WINEPREFIX/drive_c"

# Whether the Notepad the wizard opens on its readme is still open.
notepad_open() {
  local pid
  for pid in $(pgrep -i -f 'notepad\.exe'); do
    grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null && return 0
  done
  return 1
}

machine_value() { # key below HKLM\Software\Microsoft, value, data, type
  wine reg add "HKLM\\Software\\Microsoft\\$1" /reg:32 /v "$2" /t "${4:-REG_SZ}" /d "$3" /f >/dev/null
}

# FrontPage as its setups leave it: a registered folder with a "bots" entry.
mkdir -p "$drive_c/Program Files/Microsoft FrontPage/bots" \
         "$drive_c/Program Files/Microsoft Office/Office/bots" \
         "$drive_c/Program Files/Microsoft Office/Office10/bots"
machine_value 'FrontPage\3.0' FrontPageRoot 'C:\Program Files\Microsoft FrontPage'
machine_value 'Office\9.0\Common\InstallRoot' Path 'C:\Program Files\Microsoft Office\Office\'
machine_value 'Office\10.0\Common\InstallRoot' Path 'C:\Program Files\Microsoft Office\Office10\'
machine_value 'Windows\CurrentVersion\App Paths\frontpg.exe' Path 'C:\Program Files\Microsoft Office\Office10'
# The temporary-files folder, where the log goes, as Windows keeps it.
machine_value 'Windows\CurrentVersion\Explorer\VolumeCaches\Temporary files' folder '%SystemRoot%\Temp' REG_EXPAND_SZ

kit_folder='C:\Fernwick Demo'
kit="$drive_c/Fernwick Demo"
rm -rf "$kit"
mkdir -p "$kit"
cp -r sample/kit/. "$kit/"
cp "$BUILD_DIR/fernwick.exe" "$kit/"
log="$drive_c/windows/temp/fernwick.log"

if $interactive; then
  echo "The wizard runs on $DISPLAY, in $kit_folder."
  (cd "$kit" && wine fernwick.exe)
  # Leaving would close the readme too: wait until the user has.
  while notepad_open; do
    sleep 1
  done
else
  shots="$PWD/screenshots"
  rm -rf "$shots"
  mkdir -p "$shots"
  wine "$BUILD_DIR/fernwick_tour.exe" "$kit_folder" "$(winepath -w "$shots")"
  fw_screenshots_to_png "$shots"
  echo "Screenshots: $shots"
fi
if [ -f "$log" ]; then
  echo "Log: $log"
else
  echo "No log was written."
fi
