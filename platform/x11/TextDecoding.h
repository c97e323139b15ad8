#pragma once

#include <QByteArray>
#include <QString>

namespace platform::x11 {

// COMPOUND_TEXT as clients write it: ASCII and Latin-1, with UTF-8 segments
// between ESC % G and ESC % @. Other character sets are read as Latin-1.
QString decodeCompoundText(const QByteArray& bytes);

} // namespace platform::x11
