#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer as a user meets it, under wine in a fresh prefix: a silent install, the programs it
# installed (--version, and a picture with a non-Latin name opened as "Open with" does), the Start-menu
# shortcut and the association, a second install over the first, an install and an uninstall refused while
# the console runs (the quiet uninstall registered in Apps & features ending with status 3), then that silent
# uninstall, which leaves no file, shortcut or registry entry behind, keeps the user's settings and leaves no
# copy of itself in the temporary folder; the same for one user alone (/CurrentUser).
# Usage: installer_test.sh BUILD-DIR PICTURE (the installer is BUILD-DIR/packages/tessary-*-win64-setup.exe)
set -euo pipefail
build=$(cd "$1" && pwd)
picture=$2
source=$(cd "$(dirname "$0")/../../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tessary-installer.XXXXXX")
. "$source/tests/package/win32/session.sh"
trap 'stop_session; rm -rf "$work"' EXIT

setup=$(ls "$build"/packages/tessary-*-win64-setup.exe 2>/dev/null | head -1)
[ -n "$setup" ] || fail "no installer in $build/packages (the windows_installer_made test makes it)"
start_display

installed=$prefix/drive_c/Program\ Files/Tessary
shortcut=$prefix/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Tessary.lnk
classes='HKLM\Software\Classes'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessary'

say "installing silently"
wine_run "$setup" /S || fail "the silent install exited with $?"
for f in tessary.exe tessary-prepare.exe Uninstall.exe LICENSE.txt tessary-heif.dll tessary-render.dll \
  Qt6Widgets.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
  [ -f "$installed/$f" ] || fail "not installed: $f"
done
extra=$(cd "$installed" && find . -type f \( -iname '*test*' -o -iname '*bench*' -o -iname '*gtest*' \
  -o -iname '*gmock*' -o -iname 'qoffscreen*' -o -iname 'qminimal*' -o -iname '*.a' \))
[ -z "$extra" ] || fail "installed what only tests need: $extra"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
reg_value "$classes\\.jpg\\OpenWithProgids" Tessary.Picture | grep -q Tessary.Picture ||
  fail "JPEG pictures are not offered Open with Tessary"
command=$(reg_value "$classes\\Tessary.Picture\\shell\\open\\command" | sed -n 's/.*REG_SZ *//p')
[ "$command" = '"C:\Program Files\Tessary\tessary.exe" -- "%1"' ] || fail "Open with runs: $command"
reg_value "$classes\\.tessary" | grep -q Tessary.Job || fail ".tessary files are not Tessary jobs"
command=$(reg_value "$classes\\Tessary.Job\\shell\\open\\command" | sed -n 's/.*REG_SZ *//p')
[ "$command" = '"C:\Program Files\Tessary\tessary.exe" -- "%1"' ] || fail "a job opens with: $command"
reg_value "$classes\\Tessary.Job\\DefaultIcon" | grep -qF 'tessary.exe,0' || fail "a job has no icon"
reg_value "$uninstall_key" UninstallString | grep -q 'Uninstall.exe' || fail "no entry in Apps & features"

say "running what was installed"
version=$(wine_run 'C:\Program Files\Tessary\tessary.exe' --version | tr -d '\r')
[ "$version" = "tessary $(cd "$build" && sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' CMakeCache.txt)" ] ||
  fail "tessary.exe --version said: $version"
named=$work/照片\ 1.jpg
cp "$picture" "$named"
wine_run 'C:\Program Files\Tessary\tessary-prepare.exe' "Z:$named" "Z:$work/prepared.bmp" >/dev/null ||
  fail "the installed tessary-prepare.exe refused $named"
preview=$installed/Engraving\ Preview.bmp
# As Explorer's "Open with" runs it: the registered command with the picture's path.
wine_run 'C:\Program Files\Tessary\tessary.exe' -- "Z:$named" >"$work/console.log" 2>&1 &
console=$!
# No machine is plugged in: the start-up's message box says so first, and the picture comes after it.
no_machine_box() { xdotool search --name '^Information$' >/dev/null 2>&1; }
wait_for 60 no_machine_box || fail "the console showed no \"Automatic connection failed !\" box"
xdotool key --window "$(xdotool search --name '^Information$' | head -1)" Return 2>/dev/null
wait_for 60 test -f "$preview" || fail "the console opened from Open with wrote no preview of $named"
wait_for 10 cmp -s "$preview" "$work/prepared.bmp" || fail "the console's preview differs from tessary-prepare's"

# The quiet uninstall that Apps & features registered, run as it is written there.
quiet_uninstall() {
  local command exe rest args
  command=$(reg_value "$1" QuietUninstallString | sed -n 's/.*REG_SZ *//p')
  [ -n "$command" ] || fail "no quiet uninstall registered under $1"
  exe=${command#\"}
  exe=${exe%%\"*}
  rest=${command#\"$exe\"}
  read -r -a args <<<"$rest"
  wine_run "$exe" "${args[@]}"
}
no_copy_in_temp() { [ -z "$(find "$prefix/drive_c/users" -path '*Temp*' -iname '~nsu*' 2>/dev/null)" ]; }

say "installing and uninstalling while the console runs: both refused, nothing changed"
before=$(cd "$installed" && find . -type f -printf '%p %s %T@\n' | sort)
status=0
wine_run "$setup" /S || status=$?
[ $status -ne 0 ] || fail "an install over a running console went ahead"
status=0
quiet_uninstall "$uninstall_key" || status=$?
[ $status -eq 3 ] || fail "the registered quiet uninstall ended with $status while the console runs, not 3"
# The uninstaller goes on from a copy of itself in the temporary folder (so that it can remove its own file),
# and its exit status is the launcher's: what it did is seen once the copy has ended.
no_uninstaller_copy() { ! pgrep -f '~nsu[0-9A-Fa-f]*[.]tmp' >/dev/null; }
wine_run 'C:\Program Files\Tessary\Uninstall.exe' /S || fail "the uninstaller could not start"
sleep 1
wait_for 60 no_uninstaller_copy || fail "the uninstaller's copy did not end"
[ -n "$(reg_value "$uninstall_key")" ] || fail "an uninstall while the console runs went ahead"
[ "$(cd "$installed" && find . -type f -printf '%p %s %T@\n' | sort)" = "$before" ] ||
  fail "a refused install or uninstall changed the installed files"
wait_for 30 no_copy_in_temp || fail "a refused uninstaller left in the temporary folder: $(find "$prefix/drive_c/users" -iname '~nsu*')"

say "closing the console"
wine_run taskkill /im tessary.exe >/dev/null 2>&1 || true
console_gone() { ! kill -0 "$console" 2>/dev/null; }
wait_for 30 console_gone || fail "the console did not close"
[ ! -e "$preview" ] || fail "the console left its preview file behind"

say "installing again over the first install"
wine_run "$setup" /S || fail "the second install exited with $?"
[ "$(find "$prefix/drive_c" -iname 'Tessary*.lnk' | wc -l)" = 1 ] || fail "the shortcut is there twice"

say "uninstalling silently as Apps & features does: the settings stay"
settings=$(ls -d "$prefix"/drive_c/users/*/AppData/Roaming | grep -v /Public/ | head -1)/Tessary
mkdir -p "$settings"
printf '[picture]\nconversion=floyd-steinberg\n' >"$settings/tessary.ini"
quiet_uninstall "$uninstall_key" || fail "the registered quiet uninstall exited with $?"
wait_for 10 test ! -e "$installed" || fail "Program Files\\Tessary is still there: $(ls -R "$installed")"
[ -f "$settings/tessary.ini" ] || fail "the silent uninstall removed the user's settings"
no_copy_in_temp || fail "the uninstaller left in the temporary folder: $(find "$prefix/drive_c/users" -iname '~nsu*')"
[ ! -e "$shortcut" ] || fail "the shortcut is still there"
for key in "$classes\\Tessary.Picture" "$classes\\Tessary.Job" "$classes\\.tessary" "$classes\\Applications\\tessary.exe" \
  "$uninstall_key"; do
  [ -z "$(reg_value "$key")" ] || fail "left in the registry: $key"
done
! reg_value "$classes\\.jpg\\OpenWithProgids" | grep -q Tessary || fail "JPEG pictures still offer Tessary"
say "installing for this user alone (/CurrentUser, as for a user who is no administrator)"
wine_run "$setup" /S /CurrentUser || fail "the per-user install exited with $?"
profile=$(ls -d "$prefix"/drive_c/users/*/AppData/Local/Programs/Tessary 2>/dev/null | head -1)
[ -n "$profile" ] && [ -f "$profile/tessary.exe" ] || fail "nothing installed below the user's LOCALAPPDATA\\Programs"
(cd "$profile" && find . -type f ! -name Uninstall.exe | sort) >"$work/installed-files"
[ ! -e "$installed" ] || fail "a per-user install wrote into Program Files"
user_shortcut=$(find "$prefix/drive_c/users" -name Tessary.lnk -path '*Start Menu*' | head -1)
[ -n "$user_shortcut" ] || fail "no Start-menu shortcut of the user's own"
user_classes='HKCU\Software\Classes'
user_uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessary'
reg_value "$user_classes\\.png\\OpenWithProgids" Tessary.Picture | grep -q Tessary.Picture ||
  fail "PNG pictures are not offered Open with Tessary for the user"
[ -z "$(reg_value "$uninstall_key")" ] || fail "a per-user install made an entry for every user"
wine_run "$profile/Uninstall.exe" /S || fail "the per-user uninstall exited with $?"
sleep 1
wait_for 60 no_uninstaller_copy || fail "the uninstaller's copy did not end"
wait_for 10 test ! -e "$profile" || fail "the user's Tessary folder is still there"
wait_for 30 no_copy_in_temp || fail "the uninstaller's copy stayed in the temporary folder"
[ ! -e "$user_shortcut" ] || fail "the user's shortcut is still there"
for key in "$user_classes\\Tessary.Picture" "$user_classes\\Tessary.Job" "$user_classes\\.tessary" \
  "$user_classes\\Applications\\tessary.exe" "$user_uninstall_key"; do
  [ -z "$(reg_value "$key")" ] || fail "left in the registry: $key"
done
say "the portable archive runs from any folder"
archive=$(ls "$build"/packages/tessary-*-win64.zip 2>/dev/null | head -1)
[ -n "$archive" ] || fail "no portable archive in $build/packages"
unzip -q "$archive" -d "$work/portable"
portable=$(dirname "$(find "$work/portable" -name tessary.exe | head -1)")
[ "$(cd "$portable" && find . -type f | sort)" = "$(cat "$work/installed-files")" ] ||
  fail "the archive holds other files than the installer installs"
wine_run "$portable/tessary-prepare.exe" "Z:$named" "Z:$work/portable.bmp" >/dev/null ||
  fail "tessary-prepare.exe from the archive refused $named"
cmp -s "$work/portable.bmp" "$work/prepared.bmp" || fail "the archive's tessary-prepare.exe prepared it otherwise"

say "passed: installed, ran, refused while running (status 3), reinstalled and removed without a trace but the settings, for all and for one user"
