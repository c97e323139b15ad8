#include "app/AppSubStates.h"

#include "app/CustomSettings.h"
#include "app/UserDefaults.h"

double AppIcon::height() const
{
    // Held to the bar it is drawn in: a file may hold any number, and an
    // icon taller than the bar is cut at both of its edges.
    return iconHeightWithin(UserDefaults::readReal(QStringLiteral("dockIconHeight"), defaultHeight),
        CustomSettings().dockBackgroundHeight());
}
void AppIcon::setHeight(double v) const
{
    UserDefaults::setValue(QStringLiteral("dockIconHeight"), v);
}
double AppIcon::width() const
{
    return iconHeightWithin(UserDefaults::readReal(QStringLiteral("dockIconHeight"), defaultWidth),
        CustomSettings().dockBackgroundHeight());
}
void AppIcon::setWidth(double v) const
{
    UserDefaults::setValue(QStringLiteral("dockIconHeight"), v);
}

QString CustomNote::content() const
{
    return UserDefaults::readText(QStringLiteral("note_content"), QString());
}
void CustomNote::setContent(const QString& v) const
{
    UserDefaults::setValue(QStringLiteral("note_content"), v);
}
QString CustomNote::id() const
{
    return UserDefaults::readText(QStringLiteral("note_id"), QString());
}
void CustomNote::setId(const QString& v) const
{
    UserDefaults::setValue(QStringLiteral("note_id"), v);
}
