#pragma once

// Stand-ins for the built-in tools' windows until they land.

class QWidget;

#include <memory>

// Stand-in for the tool hub (the sidebar of installed tools) that the main
// button's popover shows: says that the tools are not part of this build.
std::unique_ptr<QWidget> makeToolHubView();
