#pragma once

class QToolButton;

// The pin button of a tool's panel (pins the tool to the bar). Named "pin"
// for tests; shows the word "Pin" where the icon theme has no pin picture.
QToolButton* makeToolPinButton();
