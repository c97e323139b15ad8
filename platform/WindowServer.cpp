#include "platform/WindowServer.h"

namespace platform {

QString subroleForKind(WindowKind kind)
{
    switch (kind) {
    case WindowKind::normal: return QStringLiteral("AXStandardWindow");
    case WindowKind::dialog: return QStringLiteral("AXDialog");
    case WindowKind::utility:
    case WindowKind::toolbar:
    case WindowKind::menu: return QStringLiteral("AXFloatingWindow");
    case WindowKind::dock:
    case WindowKind::desktop:
    case WindowKind::notification: return QStringLiteral("AXSystemDialog");
    case WindowKind::splash:
    case WindowKind::other: return QStringLiteral("AXUnknown");
    }
    return QStringLiteral("AXUnknown");
}

} // namespace platform
