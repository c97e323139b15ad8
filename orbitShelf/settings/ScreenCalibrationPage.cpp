#include "settings/ScreenCalibrationPage.h"

#include "apps/ScreenCalibration.h"
#include "apps/ScreenIdentifier.h"
#include "state/CustomSettings.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace {
QString screensText(const char* text)
{
    return QCoreApplication::translate("ScreensView", text);
}
} // namespace

ScreenDescription describeScreen(const QScreen* screen)
{
    if (!screen)
        return {};
    return { screen->name(), screenIdentifierKey(screen), screen->geometry(), screen->availableGeometry() };
}

std::vector<ScreenDescription> connectedScreens()
{
    std::vector<ScreenDescription> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(describeScreen(screen));
    return screens;
}

ScreenCard screenCard(const ScreenDescription& screen)
{
    QString identifier = screen.key;
    identifier.remove(QStringLiteral("Optional")).remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    // Plain decimals: these lines show points, not amounts, and never group.
    const auto line = [](const char* format, int a, int b) {
        return screensText(format).arg(QString::number(a), QString::number(b));
    };
    return {
        screen.name,
        identifier,
        line("W:%1   H: %2 ", screen.frame.width(), screen.frame.height()),
        line("Visible W:%1   H: %2 ", screen.visibleFrame.width(), screen.visibleFrame.height()),
        line("Calibration W:%1 H: %2 ", calibratedScreenWidth(screen.key, screen.visibleFrame),
            calibratedScreenHeight(screen.key, screen.visibleFrame)),
    };
}

CalibrationDraft::CalibrationDraft(const ScreenDescription& screen, const QLocale& locale)
    : m_key(screen.key)
    , m_frameSize(screen.frame.size())
    , m_locale(locale)
    , m_width(calibratedScreenWidth(screen.key, screen.visibleFrame))
    , m_height(calibratedScreenHeight(screen.key, screen.visibleFrame))
{
}

CalibrationEdit CalibrationDraft::editWidth(const QString& text)
{
    return edit(text, m_width, m_frameSize.width());
}

CalibrationEdit CalibrationDraft::editHeight(const QString& text)
{
    return edit(text, m_height, m_frameSize.height());
}

CalibrationEdit CalibrationDraft::edit(const QString& text, int& value, int limit) const
{
    bool ok = false;
    int entered = m_locale.toInt(text.trimmed(), &ok);
    if (!ok)
        entered = text.trimmed().toInt(&ok);
    if (!ok)
        return { value,
            screensText("Not a whole number; the field keeps %1.").arg(m_locale.toString(value)) };
    // A size the bar cannot use: 0 or less sizes windows to nothing, more than
    // the screen puts them off it.
    if (entered < 1 || entered > limit)
        return { value,
            screensText("Enter a number from 1 to %1; the field keeps %2.")
                .arg(m_locale.toString(limit), m_locale.toString(value)) };
    value = entered;
    return { value, {} };
}

void CalibrationDraft::save() const
{
    CustomSettings settings;
    StringMap widths = settings.spaceWidth();
    widths.insert(m_key, QString::number(m_width));
    settings.setSpaceWidth(widths);
    StringMap heights = settings.spaceHeight();
    heights.insert(m_key, QString::number(m_height));
    settings.setSpaceHeight(heights);
}
