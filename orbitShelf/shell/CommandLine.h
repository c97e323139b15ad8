#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What a start asked only to be told: "--version" or "--help" (also "-v",
// "-h") anywhere among the arguments gives the text to print, and the start
// ends there with 0, whether or not orbitShelf is running. Anything else
// gives nothing and the start goes on.
std::optional<QString> informationRequested(const QStringList& arguments);

// The arguments after the program's name.
QStringList argumentsOf(int argc, char** argv);
