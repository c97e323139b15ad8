#pragma once

// Stand-in for the Accessibility event thread until it lands in
// apps/AXEventThread.h: starts no thread.
void startAXBackgroundWork();
