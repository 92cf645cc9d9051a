#!/usr/bin/env bash
# The desktop program driven by the keyboard alone, under a real window manager on a virtual
# display: F10 and Alt+F open the File menu, Escape leaves the options dialog without saving,
# Tab and Space on the first tool button open the file dialog, and a file is encrypted with key
# presses only. Every step waits for the window it expects (or its end) with a time limit.
#   keyboard_test.sh VELT INSTALL-SETTINGS HELP-FOLDER
set -euo pipefail
velt=$1
install_settings=$2
help=$3

for tool in xvfb-run openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

# Inside the virtual display, run by xvfb-run below. Two runs that start together may pick the
# same free display number, and the loser's display never answers (status 75): a new one then.
if [ "${KEYBOARD_TEST_INSIDE:-}" != 1 ]; then
  for attempt in 1 2 3; do
    status=0
    KEYBOARD_TEST_INSIDE=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@" || status=$?
    [ "$status" = 75 ] || exit "$status"
    sleep 1
  done
  exit 1
fi

work=$(mktemp -d)
wm=
pid=
cleanup() {
  local status=$?
  [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$wm" ] && kill -TERM "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  [ "$status" = 0 ] || cat "$work"/*.log >&2
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# wait_for WHAT COMMAND...: polls COMMAND until it succeeds, for at most thirty seconds (the
# machine may be busy: the limit only ends a failed run).
wait_for() {
  local what=$1 i
  shift
  for i in $(seq 300); do
    "$@" && return 0
    sleep 0.1
  done
  fail "$what"
}
# shown TITLE: a window of the program titled exactly TITLE is on the screen.
shown() {
  local w
  for w in $(xdotool search --onlyvisible --class velt 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && return 0
  done
  return 1
}
gone() { ! shown "$1"; }
# While no dialog is open, a second window of the program is the menu (the pointer is kept off
# the window, so no tooltip is one).
menu_open() { [ "$(xdotool search --onlyvisible --class velt 2>/dev/null | wc -l)" -ge 2 ]; }
menu_closed() { ! menu_open; }
# focused TITLE: the window with the keyboard is TITLE, so the keys pressed next reach it.
focused() { [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "$1" ]; }

"$install_settings" "$work/registry.reg" "$help"
cp "$work/registry.reg" "$work/saved.reg"
echo "a file typed by keyboard" >"$work/letter.txt"

display_up() { xprop -root >/dev/null 2>&1; }
for i in $(seq 50); do
  display_up && break
  sleep 0.1
done
display_up || exit 75
# The window manager must be up before the window maps, or it never gives the window the focus.
# Now and then it fails to open the fresh display: it is started again then.
wm_up() {
  if [ -z "$wm" ] || ! kill -0 "$wm" 2>/dev/null; then
    openbox --sm-disable >>"$work/openbox.log" 2>&1 &
    wm=$!
  fi
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
wait_for "the window manager starts" wm_up
xdotool mousemove 0 0
VELT_REGISTRY=$work/registry.reg XDG_RUNTIME_DIR=$work "$velt" >"$work/velt.log" 2>&1 &
pid=$!
main='VELT 1.2a (Build 321)'
wait_for "the main window shows" shown "$main"
wait_for "the main window has the keyboard" focused "$main"

# The File menu by F10 and by Alt+F; Escape closes it, a second one leaves the menu bar.
for keys in F10 alt+f; do
  xdotool key "$keys"
  wait_for "$keys opens the File menu" menu_open
  xdotool key Escape
  wait_for "Escape closes the menu opened by $keys" menu_closed
  xdotool key Escape
  wait_for "the main window has the keyboard after the menu" focused "$main"
done

# Escape leaves the options dialog without saving what was typed.
xdotool key ctrl+o
wait_for "Ctrl+O opens the options" focused 'VELT Options'
xdotool key ctrl+a
xdotool type CHANGED
xdotool key Escape
wait_for "Escape closes the options" gone 'VELT Options'
cmp -s "$work/registry.reg" "$work/saved.reg" || fail "Escape in the options changed the store"

# Tab reaches the first tool button, Space presses it: the file dialog, closed by Escape.
wait_for "the main window has the keyboard after the options" focused "$main"
xdotool key Tab space
wait_for "Tab and Space on the first tool button open the file dialog" focused 'Open'
xdotool key Escape
wait_for "Escape closes the file dialog" gone 'Open'

# A file encrypted by keyboard alone: Ctrl+F, its name, the password twice, the closing message.
wait_for "the main window has the keyboard after the file dialog" focused "$main"
xdotool key ctrl+f
wait_for "Ctrl+F opens the file dialog" focused 'Open'
xdotool type "$work/letter.txt"
xdotool key Return
wait_for "the file asks for a password" focused 'Encryption password'
xdotool type secret
xdotool key Tab
xdotool type secret
xdotool key Return
wait_for "the encryption ends with a message" focused 'Information'
xdotool key Return
wait_for "Enter closes the message" gone 'Information'
[ -s "$work/letter.txt.VELT" ] || fail "no encrypted file"
[ ! -e "$work/letter.txt" ] || fail "the original is still there"

# Ctrl+F4 ends the program.
wait_for "the main window has the keyboard after the job" focused "$main"
xdotool key ctrl+F4
ended() { ! kill -0 "$pid" 2>/dev/null; }
wait_for "Ctrl+F4 ends the program" ended
wait "$pid" || fail "the program ended with an error"
pid=
echo "keyboard: all steps passed"
