#pragma once

class QToolButton;

// The pin button of a tool's panel (pins the tool to the bar). Named "pin"
// for tests; the icon theme's pin, or our own drawing where it has none.
QToolButton* makeToolPinButton();
