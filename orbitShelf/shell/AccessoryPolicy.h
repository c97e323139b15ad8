#pragma once

// Makes the process an accessory: no menu bar (we never create one) and no
// taskbar or pager entry for any window of ours, now or later.
void setAccessoryActivationPolicy();
