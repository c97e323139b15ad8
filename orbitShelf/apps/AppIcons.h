#pragma once

#include <QIcon>
#include <QImage>

#include <cstdint>
#include <vector>

class ActiveApp;
class AppsSource;
struct RunningApp;

// The picture an application's button shows, in this order: its desktop
// entry's icon (icon theme, then the pictures folder), else the first of its
// windows' own pictures, else the theme icon named after its class; null
// when none is found (the bar then draws the generic picture).
void resolveAppIcon(ActiveApp& app, const RunningApp& running, AppsSource& source);

// One icon holding every size a window offers, so that painting picks the
// size nearest the button; null for none.
QIcon iconFromPictures(const std::vector<QImage>& pictures);
