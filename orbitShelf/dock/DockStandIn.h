#pragma once

// Stand-in for the dock bar until its own code lands: the launch routine's
// one call into it. Builds nothing; logs once.
void buildDockWindows();
