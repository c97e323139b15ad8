#pragma once

class QWidget;

// Stand-in for the settings tabs: "Themes" and "General" so far.
QWidget* makeGeneralConfig();
