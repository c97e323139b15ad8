#include "app/AppSubStates.h"

#include "app/UserDefaults.h"

double AppIcon::height() const
{
    return UserDefaults::readReal(QStringLiteral("dockIconHeight"), defaultHeight);
}
void AppIcon::setHeight(double v) const
{
    UserDefaults::setValue(QStringLiteral("dockIconHeight"), v);
}
double AppIcon::width() const
{
    return UserDefaults::readReal(QStringLiteral("dockIconHeight"), defaultWidth);
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
