#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// The program's own pictures, looked up by name and drawn at the size asked
// for (there is no bundle to load them from):
//   "Finder", "Finder2" … "Finder12": the main button's built-in pictures, a
//   rounded tile with a two-tone face, one colour pair each;
//   "ButtonTheme-1" … "ButtonTheme-3": a strip of bar buttons as each button
//   theme draws them (icons only, icon and title, titles only), 5:1.
// An unknown name gives a null image.
QImage namedImage(const QString& name, const QSize& size);

// The picture the main button shows: the uploaded file when the settings say
// so and it can be read, else the built-in picture named in the settings,
// else "Finder". Cached per file and name.
QImage mainButtonImage(const std::optional<QString>& file, const QString& builtinName, const QSize& size);
