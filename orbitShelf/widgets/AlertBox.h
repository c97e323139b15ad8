#pragma once

// Makes showAlert() present a modal message box with one "ok" button. An
// alert raised off the main thread is shown on it. Called once at start.
void installMessageBoxAlerts();
