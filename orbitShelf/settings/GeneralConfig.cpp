#include "settings/GeneralConfig.h"

#include "settings/AboutView.h"
#include "settings/AppearanceSettingsView.h"
#include "settings/GeneralSettingsPage.h"
#include "settings/PluginsView.h"
#include "settings/ScreensView.h"
#include "settings/ShortCutView.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLoggingCategory>
#include <QTabBar>
#include <QTimer>

static Q_LOGGING_CATEGORY(lcSettingsTabs, "orbitshelf.settings")

const std::vector<SettingsTab>& settingsTabs()
{
    static const std::vector<SettingsTab> tabs {
        { QStringLiteral("General"), QStringLiteral("preferences-system"), 10,
            [] { return new GeneralSettingsView; } },
        { QStringLiteral("Themes"), QStringLiteral("preferences-desktop-theme"), 10,
            [] { return new AppearanceSettingsView; } },
        { QStringLiteral("Shortcut"), QStringLiteral("input-keyboard"), 0, [] { return new ShortCutView; } },
        { QStringLiteral("Plugins"), QStringLiteral("application-x-addon"), 0,
            [] { return makePluginsPage(); } },
        { QStringLiteral("Screens"), QStringLiteral("video-display"), 0, [] { return new ScreensView; } },
        { QStringLiteral("About"), QStringLiteral("help-about"), 0, [] { return new AboutView; } },
    };
    return tabs;
}

GeneralConfig::GeneralConfig(QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("GeneralConfig"));
    for (const SettingsTab& tab : settingsTabs()) {
        // The margin sits in a holder, so the page's own layout is untouched
        // (and mirrors with the layout direction).
        auto* holder = new QWidget;
        auto* layout = new QHBoxLayout(holder);
        layout->setContentsMargins(tab.leadingMargin, 0, 0, 0);
        layout->addWidget(tab.makePage());
        addTab(holder, QIcon::fromTheme(tab.iconName), tr(qUtf8Printable(tab.title)));
    }
    setCurrentIndex(0);
}

void GeneralConfig::showEvent(QShowEvent* event)
{
    QTabWidget::showEvent(event);
    logTabPlaces();
}

void GeneralConfig::logTabPlaces()
{
    if (!lcSettingsTabs().isDebugEnabled())
        return;
    QTimer::singleShot(0, this, [this] {
        for (int i = 0; i < count(); ++i) {
            const QRect r = tabBar()->tabRect(i);
            const QPoint at = tabBar()->mapToGlobal(r.topLeft());
            qCDebug(lcSettingsTabs).noquote() << QStringLiteral("settings tab %1 at %2,%3 %4x%5")
                                                     .arg(settingsTabs()[i].title)
                                                     .arg(at.x())
                                                     .arg(at.y())
                                                     .arg(r.width())
                                                     .arg(r.height());
        }
    });
}
