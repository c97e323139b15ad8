#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

// Icons and pictures are kept as PNG files: pinned and favourite application
// icons, clipboard images and an uploaded dock icon.

// A new image of exactly `size` (rounded to whole pixels) with the source
// stretched to fill it; the aspect ratio is not kept. The source is unchanged.
// A null source, or a size below one pixel, gives a null image.
QImage resized(const QImage& image, const QSizeF& size);

// Writes the image to `path` as PNG, atomically: the file appears complete
// or not at all, and an existing file is replaced. Every such file lies in
// the data folder, so it is written readable by its owner only. Returns false, with one
// line logged, when no PNG could be produced (null image, encoder failure) or
// the file could not be written; callers must then not record the path.
bool savePNG(const QImage& image, const QString& path);
