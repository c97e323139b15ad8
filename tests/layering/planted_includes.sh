#!/bin/sh
# The include check must refuse each planted wrong include of the fixture
# tree, name it, and pass over the allowed ones around it.
checker=$1
fixture=$2
out=$("$checker" "$fixture")
status=$?
printf '%s\n' "$out"
[ "$status" -eq 1 ] || { echo "expected exit status 1, got $status"; exit 1; }
for expected in \
  "orbitShelf/state/Planted.cpp:3 includes dock/DockView.h" \
  "orbitShelf/state/Planted.cpp:4 includes <QWidget>" \
  "orbitShelf/apps/Planted.h:4 includes platform/x11/X11Platform.h" \
  "orbitShelf/dock/Planted.cpp:3 includes shell/AppDelegate.h" \
  "orbitShelf/dock/layout/Planted.h:4 includes <QWidget>" \
  "ToastOverlay/Planted.cpp:3 includes state/AppState.h" \
  "6 wrong includes"; do
  printf '%s\n' "$out" | grep -qF "$expected" || { echo "missing: $expected"; exit 1; }
done
