#pragma once

// Stand-in for the vendor web service client until its own code lands.
// Neither call reaches a web service here: each says so in the log once and
// changes nothing (in particular needUpdate stays as it is, so nothing claims
// that the program is up to date).

// The periodic app-active report.
void pingAppActive();

// The periodic update check.
void checkForUpdate();
