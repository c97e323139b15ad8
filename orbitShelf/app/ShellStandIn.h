#pragma once

// Stand-in for the app-wide listeners and global input monitors until they
// land: registers nothing.
void registerAppListeners();
