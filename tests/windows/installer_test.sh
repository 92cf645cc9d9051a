#!/usr/bin/env bash
# The Windows installer and the portable zip in a Wine installation of their own: a silent
# installation under Program Files with "Path", the ten defaults, the context-menu entries, the
# .VELT file type, the Start menu and the uninstall entry; velt.exe started through the shell's
# command lines on a name with a blank; settings kept by a second installation; a silent
# installation into a folder of one's choice; silent uninstallations that leave only the
# settings; the unpacked zip, recorded by its register.cmd, starting velt.exe, and left alone
# by an installation and uninstallation after it.
#   installer_test.sh INSTALLER PORTABLE-ZIP WINE WINE-PREFIX
# The program's windows need an X display: without one, the script runs itself under xvfb-run.
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a bash "$0" "$@"
fi
installer=$1 zip=$2 wine=$3
export WINEPREFIX=$4 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver=$(dirname "$wine")/wineserver
# A run killed halfway may have left a velt.exe of this installation running.
"$wineserver" -k 2>/dev/null || true
[ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot -i >/dev/null 2>&1 || true
"$wineserver" -w

work=$(mktemp -d)
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
win() { echo "Z:${1//\//\\}"; }
unix() {  # a path on drive C: as the host sees it
  local p=${1#C:}
  echo "$WINEPREFIX/drive_c${p//\\//}"
}
key='HKLM\Software\VELT'
classes='HKLM\Software\Classes'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VELT'
start_menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs

failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}
# value KEY NAME: the value's type and data ("REG_SZ VELT"), empty when it is missing; the
# empty NAME is the key's default value. Each key is read once until run changes something.
value() {
  local listing
  listing=$work/keys/$(echo "$1" | md5sum | cut -c1-32)
  if [ ! -f "$listing" ]; then
    mkdir -p "$work/keys"
    { "$wine" reg query "$1" 2>/dev/null || true; } | tr -d '\r' >"$listing"
  fi
  awk -v n="${2:-(Default)}" '$1 == n { $1 = ""; sub(/^ +/, ""); print }' "$listing"
}
expect() {  # expect KEY NAME "TYPE DATA"
  local got
  got=$(value "$1" "$2")
  [ "$got" = "$3" ] || fail "$1 \"$2\" is \"$got\", expected \"$3\""
}
# run ARGS...: a program under Wine, which must succeed. settle: waits until Wine has no process
# left, for the uninstaller, which goes on from a copy of itself, and for a batch file's programs.
run() {
  rm -rf "$work/keys"
  "$wine" "$@" >/dev/null || fail "$* ended with $?"
}
settle() {
  "$wineserver" -w
  rm -rf "$work/keys"
}
# started_with TITLE ARG...: waits for velt.exe's window TITLE, then compares the arguments
# that Windows' rule split from its command line (Wine's process shows them) with ARG...
started_with() {
  local title=$1 expected="" pid args seen=0 a
  shift
  for a in "$@"; do expected+="$a|"; done
  for _ in $(seq 1 120); do
    xwininfo -root -tree 2>/dev/null | grep -qF "\"$title\": (\"velt.exe\"" && break
    sleep 0.5
  done
  xwininfo -root -tree | grep -qF "\"$title\": (\"velt.exe\"" || fail "no \"$title\" window"
  for pid in $(pgrep -f 'velt\.exe' || true); do
    [ "$(tr '\0' '\n' </proc/$pid/environ 2>/dev/null | grep -x "WINEPREFIX=$WINEPREFIX")" ] ||
      continue
    seen=1
    args=$(tr '\0' '\n' </proc/$pid/cmdline | tail -n +2 | sed '/^$/d' | tr '\n' '|')
    [ "$args" = "$expected" ] || fail "velt.exe got \"$args\", expected \"$expected\""
    kill "$pid"
    for _ in $(seq 1 50); do [ -d "/proc/$pid" ] && sleep 0.1; done
  done
  [ $seen = 1 ] || fail "no velt.exe process for \"$title\""
}
# The default of every setting, as an installation without earlier settings must leave it.
defaults=("def REG_SZ VELT" "enc REG_DWORD 0x0" "hash REG_DWORD 0x0" "comp REG_DWORD 0x0"
          "compspeed REG_DWORD 0x0" "ext REG_DWORD 0xffffffff" "sec REG_DWORD 0xffffffff"
          "del REG_DWORD 0xffffffff" "com REG_DWORD 0xffffffff" "add REG_DWORD 0xffffffff")
expect_defaults() {
  local row
  for row in "${defaults[@]}"; do expect "$key" "${row%% *}" "${row#* }"; done
}
# expect_installed FOLDER: what an installation into FOLDER leaves.
expect_installed() {
  local folder=$1 f verb class
  for f in velt.exe velt-cli.exe Qt6Widgets.dll platforms/qwindows.dll Velt.chm uninstall.exe; do
    [ -f "$(unix "$folder")/$f" ] || fail "$folder: $f is missing"
  done
  expect "$key" Path "REG_SZ $folder"
  for class in '*' Directory; do
    for verb in "Encrypt -e" "Decrypt -d"; do
      expect "$classes\\$class\\shell\\Velt${verb% *}" "" "REG_SZ ${verb% *} with VELT"
      expect "$classes\\$class\\shell\\Velt${verb% *}\\command" "" \
        "REG_SZ \"$folder\\velt.exe\" ${verb#* } \"*%1*\""
    done
  done
  expect "$classes\\.VELT" "" "REG_SZ VELT.EncryptedFile"
  expect "$uninstall_key" UninstallString "REG_SZ \"$folder\\uninstall.exe\""
  [ -f "$start_menu/VELT.lnk" ] && [ -f "$start_menu/VELT Help.lnk" ] ||
    fail "a Start menu entry is missing"
}
# expect_uninstalled FOLDER [PATH]: what uninstalling from FOLDER leaves; "Path" is gone, or
# still PATH, recorded for another copy.
expect_uninstalled() {
  local folder=$1 path=${2:-} class
  [ ! -e "$(unix "$folder")" ] || fail "$folder is left: $(ls "$(unix "$folder")")"
  for class in '*\shell\VeltEncrypt' '*\shell\VeltDecrypt' 'Directory\shell\VeltEncrypt' \
    'Directory\shell\VeltDecrypt' '.VELT' 'VELT.EncryptedFile'; do
    "$wine" reg query "$classes\\$class" >/dev/null 2>&1 && fail "$class is left"
  done
  "$wine" reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall entry is left"
  [ ! -e "$start_menu/VELT.lnk" ] && [ ! -e "$start_menu/VELT Help.lnk" ] ||
    fail "a Start menu entry is left"
  [ "$(value "$key" Path)" = "${path:+REG_SZ $path}" ] || fail "\"Path\" is left or lost"
}

# A machine that never had VELT, also after a run that failed halfway.
"$wine" reg delete "$key" /f >/dev/null 2>&1 || true
"$wine" reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
rm -rf "$(unix 'C:\Program Files\VELT')" "$(unix 'C:\Apps')"

program_files='C:\Program Files\VELT'
run "$(win "$installer")" /S
expect_installed "$program_files"
expect_defaults

# Explorer's "Encrypt with VELT" runs the registered command with %1 replaced; cmd runs a
# command line as it is written. Opening an encrypted file goes through the shell's own lookup.
mkdir "$work/My Documents"
echo text >"$work/My Documents/report 2.txt"
echo text >"$work/My Documents/report 2.txt.VELT"
command=$(value "$classes\\*\\shell\\VeltEncrypt\\command" "")
command=${command#REG_SZ }
printf '@%s\r\n' "${command//%1/$(win "$work/My Documents/report 2.txt")}" >"$work/verb.cmd"
"$wine" cmd /c "$(win "$work/verb.cmd")" >/dev/null 2>&1 &
started_with "Encryption options" -e "*$(win "$work/My Documents/report 2.txt")*"
"$wine" start "$(win "$work/My Documents/report 2.txt.VELT")" >/dev/null 2>&1 &
started_with "Decryption options" -d "*$(win "$work/My Documents/report 2.txt.VELT")*"

# The user's settings survive an installation over the first.
run reg add "$key" /v def /d ABC /f
run reg add "$key" /v ext /t REG_DWORD /d 0 /f
run "$(win "$installer")" /S
expect "$key" def "REG_SZ ABC"
expect "$key" ext "REG_DWORD 0x0"
expect "$key" enc "REG_DWORD 0x0"

run "$(unix "$program_files")/uninstall.exe" /S
settle
expect_uninstalled "$program_files"
expect "$key" def "REG_SZ ABC"
expect "$key" add "REG_DWORD 0xffffffff"

# A folder of one's choice (/D= takes the rest of the command line, blanks included, unquoted:
# written into a batch file, since Wine would quote it), removed by the uninstall entry's own
# silent command.
chosen='C:\Apps\My VELT'
printf '@"%s" /S /D=%s\r\n' "$(win "$installer")" "$chosen" >"$work/chosen.cmd"
run cmd /c "$(win "$work/chosen.cmd")"
settle
expect_installed "$chosen"
quiet=$(value "$uninstall_key" QuietUninstallString)
[ "$quiet" = "REG_SZ \"$chosen\\uninstall.exe\" /S" ] || fail "QuietUninstallString is \"$quiet\""
run "$(unix "$chosen")/uninstall.exe" /S
settle
expect_uninstalled "$chosen"

# The portable zip, unpacked into a folder with a blank and recorded by its register.cmd, gives
# a velt.exe that starts, with the settings already there kept.
run reg delete "$key" /v enc /f
mkdir "$work/Portable Apps"
(cd "$work/Portable Apps" && cmake -E tar xf "$zip")
run cmd /c "$(win "$work/Portable Apps/VELT/register.cmd")"
expect "$key" Path "REG_SZ $(win "$work/Portable Apps/VELT")"
expect "$key" def "REG_SZ ABC"
expect "$key" enc "REG_DWORD 0x0"
"$wine" "$(win "$work/Portable Apps/VELT/velt.exe")" >/dev/null 2>&1 &
started_with "VELT 1.2a (Build 321)"

# An installation goes to Program Files, not into the folder that "Path" names now; uninstalled
# after the portable copy has been recorded again, it leaves that copy and its "Path" alone.
portable=$(win "$work/Portable Apps/VELT")
run "$(win "$installer")" /S
expect_installed "$program_files"
run cmd /c "$portable\\register.cmd"
run "$(unix "$program_files")/uninstall.exe" /S
settle
expect_uninstalled "$program_files" "$portable"
[ -f "$work/Portable Apps/VELT/velt.exe" ] || fail "the portable copy lost velt.exe"

if [ $failed = 0 ]; then
  echo "installed, started from the shell, reinstalled, uninstalled, and the zip's program started"
fi
exit $failed
