#include "settings/SettingsStandIn.h"

#include "settings/AppearanceSettingsView.h"
#include "settings/GeneralSettingsPage.h"
#include "settings/ShortCutView.h"

#include <QLoggingCategory>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

static Q_LOGGING_CATEGORY(lcSettingsTabs, "orbitshelf.settings")

namespace {

// Says where its tabs stand once shown, for the log a test reads.
class StandInTabs final : public QTabWidget {
protected:
    void showEvent(QShowEvent* event) override
    {
        QTabWidget::showEvent(event);
        if (!lcSettingsTabs().isDebugEnabled())
            return;
        QTimer::singleShot(0, this, [this] {
            for (int i = 0; i < count(); ++i) {
                const QRect r = tabBar()->tabRect(i);
                const QPoint at = tabBar()->mapToGlobal(r.topLeft());
                qCDebug(lcSettingsTabs).noquote() << QStringLiteral("settings tab %1 at %2,%3 %4x%5")
                                                         .arg(tabText(i))
                                                         .arg(at.x())
                                                         .arg(at.y())
                                                         .arg(r.width())
                                                         .arg(r.height());
            }
        });
    }
};

} // namespace

QWidget* makeGeneralConfig()
{
    auto* tabs = new StandInTabs;
    tabs->addTab(new AppearanceSettingsView, QStringLiteral("Themes"));
    tabs->addTab(new GeneralSettingsView, QStringLiteral("General"));
    tabs->addTab(new ShortCutView, QStringLiteral("Shortcut"));
    return tabs;
}
