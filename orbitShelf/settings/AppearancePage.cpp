#include "settings/AppearancePage.h"

#include "state/Alerts.h"
#include "state/AppState.h"
#include "state/ImageFiles.h"
#include "state/RandomString.h"
#include "apps/SupportFolder.h"
#include "dock/drawing/DockColors.h"
#include "dock/drawing/NamedImages.h"
#include "network/ServiceRequests.h"
#include "settings/SettingsHooks.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

static Q_LOGGING_CATEGORY(lcAppearance, "orbitshelf.settings")

namespace {

// Writes go through a record of their own: AppState's record would send a
// change notice per write, and an apply sends exactly one, by publishing.
CustomSettings store()
{
    return CustomSettings();
}

void askWithMessageBox(
    QWidget* owner, const QString& message, const QStringList& buttons, std::function<void(int)> answered)
{
    QWidget* window = owner ? owner->window() : nullptr;
    auto* box = new QMessageBox(
        QMessageBox::Information, QStringLiteral("OrbitShelf"), message, QMessageBox::NoButton, window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Modal to the settings window alone: exec() would make it
    // application-modal, and the bar would take no click until it is
    // answered.
    box->setWindowModality(window ? Qt::WindowModal : Qt::NonModal);
    if (!window)
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
    QList<QAbstractButton*> made;
    for (const QString& title : buttons)
        made << box->addButton(QCoreApplication::translate("AppearancePage", qUtf8Printable(title)),
            made.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
    // The page that asked lives inside `owner`: with it gone, nobody waits
    // for the answer.
    QObject* context = owner ? static_cast<QObject*>(owner) : box;
    QObject::connect(box, &QDialog::finished, context,
        [box, made, answered = std::move(answered)] { answered(int(made.indexOf(box->clickedButton()))); });
    if (lcAppearance().isDebugEnabled()) {
        // Once shown: where its buttons stand, for the log a test reads.
        QTimer::singleShot(0, box, [made] {
            for (const QAbstractButton* button : made) {
                const QRect r(button->mapToGlobal(QPoint(0, 0)), button->size());
                qCDebug(lcAppearance).noquote() << "question shown:"
                                                << QStringLiteral("%1@%2,%3 %4x%5")
                                                       .arg(button->text())
                                                       .arg(r.x())
                                                       .arg(r.y())
                                                       .arg(r.width())
                                                       .arg(r.height());
            }
        });
    }
    box->show();
}

} // namespace

AppearanceServices standardAppearanceServices(QWidget* owner)
{
    AppearanceServices services;
    services.trackFeature = [](const QString& feature) { trackFeature(feature); };
    services.ask = [owner = QPointer<QWidget>(owner)](const QString& message, const QStringList& buttons,
                       std::function<void(int)> answered) {
        askWithMessageBox(owner, message, buttons, std::move(answered));
    };
    services.alert = &showAlert;
    services.relaunch = [] {
        if (settingsHooks().relaunch)
            return settingsHooks().relaunch();
        qCWarning(lcAppearance) << "no relaunch is installed; the new theme shows after a restart";
        showAlert(QStringLiteral("OrbitShelf could not restart itself."),
            QStringLiteral("The new theme shows the next time OrbitShelf starts."));
        return false;
    };
    services.supportFile = &appSupportDirectory;
    services.randomName = &randomAlphanumericString;
    return services;
}

const std::vector<ColorRowSpec>& colorRowSpecs()
{
    static const std::vector<ColorRowSpec> specs {
        { ColorRow::openIndicator, QString(), QStringLiteral("[ Actived Indicator Color ]"), 320,
            QStringLiteral("openIndicatorColor"), kTagFallbackColor, false },
        { ColorRow::previousIndicator, QString(), QStringLiteral("[ Previous Indicator Color ]"), 320,
            QStringLiteral("previousIndicatorColor"), kTagFallbackColor, false },
        { ColorRow::dock, QStringLiteral("[ Dock Color ]"), QStringLiteral("Dock Color"), 220,
            QStringLiteral("dockColor"), kTagFallbackColor, false },
        { ColorRow::dockTitle, QStringLiteral("[ Dock Title Color ]"), QStringLiteral("Dock Title Color"),
            220, QStringLiteral("dockTitleColor"), kTitleFallbackColor, true },
    };
    return specs;
}

const ColorRowSpec& colorRowSpec(ColorRow row)
{
    return colorRowSpecs()[std::size_t(row)];
}

const std::vector<ButtonThemeChoice>& buttonThemeChoices()
{
    static const std::vector<ButtonThemeChoice> choices {
        { QStringLiteral("ButtonTheme-1"), QStringLiteral("onlyIcon") },
        { QStringLiteral("ButtonTheme-2"), QStringLiteral("bigIcon") },
        { QStringLiteral("ButtonTheme-3"), QStringLiteral("noIcon") },
    };
    return choices;
}

QString heightLabel(const QString& prefix, double height)
{
    return prefix + QString::number(qlonglong(std::trunc(height)));
}

AppearancePage::AppearancePage(AppState& state, AppearanceServices services)
    : height(state.settings.dockBackgroundHeight())
    , iconHeight(state.appIcon.height())
    , bgColor(state.settings.dockColor())
    , titleColor(state.settings.dockTitleColor())
    , openIndicatorColor(state.settings.openIndicatorColor())
    , previousIndicatorColor(state.settings.previousIndicatorColor())
    , stackMode(state.settings.stackAppLimit())
    , fullscreenDock(state.settings.fullScreenDock())
    , uploadedUrl(state.settings.dockIconCustomUploadURL())
    , m_state(state)
    , m_services(std::move(services))
{
}

const QStringList& AppearancePage::defaultColors()
{
    static const QStringList colors { "00b894", "00cec9", "ff7675", "6c5ce7", "b2bec3", "ffeaa7", "fab1a0",
        "d63031", "e84393", "74b9ff", "55efc4", "2d3436", "1e272e" };
    return colors;
}

const QStringList& AppearancePage::defaultTitleColors()
{
    static const QStringList colors { "ffffff", "000000", "ff7675", "6c5ce7", "e84393", "74b9ff", "55efc4",
        "2d3436", "1e272e" };
    return colors;
}

QString& AppearancePage::colorText(ColorRow row)
{
    switch (row) {
    case ColorRow::openIndicator:
        return openIndicatorColor;
    case ColorRow::previousIndicator:
        return previousIndicatorColor;
    case ColorRow::dock:
        return bgColor;
    case ColorRow::dockTitle:
        break;
    }
    return titleColor;
}

QStringList AppearancePage::palette(ColorRow row) const
{
    return colorRowSpec(row).titlePalette ? defaultTitleColors() : defaultColors();
}

uint32_t AppearancePage::swatchRgb(ColorRow row) const
{
    const CustomSettings settings = store();
    QString stored;
    switch (row) {
    case ColorRow::openIndicator:
        stored = settings.openIndicatorColor();
        break;
    case ColorRow::previousIndicator:
        stored = settings.previousIndicatorColor();
        break;
    case ColorRow::dock:
        stored = settings.dockColor();
        break;
    case ColorRow::dockTitle:
        stored = settings.dockTitleColor();
        break;
    }
    return colorFromHex(stored, colorRowSpec(row).fallback).rgb() & 0xffffff;
}

void AppearancePage::publish()
{
    m_state.publish();
}

void AppearancePage::applyFullScreenDock(bool on)
{
    fullscreenDock = on;
    store().setFullScreenDock(on);
    publish();
}

void AppearancePage::applyDockHeight()
{
    fitNote.clear();
    store().setDockBackgroundHeight(height);
    const double fitting = largestIconHeight(height);
    if (iconHeight > fitting) {
        iconHeight = fitting;
        m_state.appIcon.setHeight(iconHeight);
        fitNote = QCoreApplication::translate("AppearancePage", "Icon Height lowered to %1 to fit a dock of %2.")
                      .arg(qlonglong(std::trunc(iconHeight)))
                      .arg(qlonglong(std::trunc(height)));
    }
    publish();
}

void AppearancePage::applyIconHeight()
{
    fitNote.clear();
    m_state.appIcon.setHeight(iconHeight);
    if (iconHeight > largestIconHeight(height)) {
        // The dock slider moves in steps of 2: the next even height up.
        height = std::min(kDockHeightMaximum, 2 * std::ceil((iconHeight + kIconMarginInDock) / 2));
        store().setDockBackgroundHeight(height);
        fitNote = QCoreApplication::translate("AppearancePage", "Dock Height raised to %1 to hold icons of %2.")
                      .arg(qlonglong(std::trunc(height)))
                      .arg(qlonglong(std::trunc(iconHeight)));
    }
    publish();
}

QString AppearancePage::notAColorMessage(const QString& text)
{
    return QCoreApplication::translate("AppearancePage",
        "\"%1\" is not a colour: type six hexadecimal digits, like 00cec9. The previous colour stays.")
        .arg(text);
}

bool AppearancePage::applyColorText(ColorRow row, const QString& text)
{
    if (!isColorText(text))
        return false;
    colorText(row) = text;
    const CustomSettings settings = store();
    switch (row) {
    case ColorRow::openIndicator:
        settings.setOpenIndicatorColor(text);
        break;
    case ColorRow::previousIndicator:
        settings.setPreviousIndicatorColor(text);
        break;
    case ColorRow::dock:
        settings.setDockColor(text);
        break;
    case ColorRow::dockTitle:
        settings.setDockTitleColor(text);
        break;
    }
    publish();
    return true;
}

bool AppearancePage::commitStackText(const QString& text, const QLocale& locale)
{
    bool ok = false;
    const qlonglong parsed = locale.toLongLong(text.trimmed(), &ok);
    if (!ok)
        return false;
    // Below the least a stack holds, every application would be a stack.
    const int limit = int(std::clamp<qlonglong>(parsed, kStackAppLimitMinimum, std::numeric_limits<int>::max()));
    if (limit == stackMode)
        return false;
    stackMode = limit;
    store().setStackAppLimit(limit);
    publish();
    return true;
}

void AppearancePage::applyButtonTheme(const QString& theme, std::function<void()> answered)
{
    if (m_services.trackFeature)
        m_services.trackFeature(QStringLiteral("ChangeButtonTheme-") + theme);
    if (!m_services.ask)
        return;
    m_services.ask(QStringLiteral("Need restart OrbitShelf to render the new ui"),
        { QStringLiteral("oK"), QStringLiteral("cancel") },
        [this, alive = std::weak_ptr<void>(m_alive), theme, answered = std::move(answered)](int answer) {
            if (alive.expired())
                return;
            if (answer == 0) {
                store().setButtonTheme(theme);
                qCInfo(lcAppearance) << "button theme" << theme << "stored; restarting";
                if (m_services.relaunch)
                    m_services.relaunch();
            }
            if (answered)
                answered();
        });
}

void AppearancePage::selectBuiltinDockIcon(const QString& name)
{
    const CustomSettings settings = store();
    settings.setDockIcon(name);
    settings.setIsDockIconCustomUpload(false);
    publish();
}

void AppearancePage::selectUploadedDockIcon()
{
    store().setIsDockIconCustomUpload(true);
    publish();
}

bool AppearancePage::uploadCustomDockIcon(const QString& path)
{
    const auto refuse = [this](const QString& message, const QString& informative) {
        qCWarning(lcAppearance) << message << informative;
        if (m_services.alert)
            m_services.alert(message, informative);
        return false;
    };
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        return refuse(QStringLiteral("This file is not a picture OrbitShelf can read."),
            QStringLiteral("%1: %2. The dock icon stays as it was.").arg(path, reader.errorString()));
    }
    const QImage icon = resized(image, QSizeF(128, 128));
    const QString name = (m_services.randomName ? m_services.randomName(16) : randomAlphanumericString(16))
        + QStringLiteral(".png");
    const std::optional<QUrl> target = m_services.supportFile ? m_services.supportFile(name) : std::nullopt;
    if (!target) {
        return refuse(QStringLiteral("The dock icon could not be saved."),
            QStringLiteral("OrbitShelf's data folder could not be created. The dock icon stays as it was."));
    }
    if (!savePNG(icon, target->toLocalFile())) {
        return refuse(QStringLiteral("The dock icon could not be saved."),
            QStringLiteral("Writing %1 failed. The dock icon stays as it was.").arg(target->toLocalFile()));
    }
    const CustomSettings settings = store();
    settings.setIsDockIconCustomUpload(true);
    settings.setDockIconCustomUploadURL(storedPathOf(*target));
    uploadedUrl = settings.dockIconCustomUploadURL();
    publish();
    return true;
}

QImage AppearancePage::uploadedTileImage(const QSize& size) const
{
    if (!uploadedUrl.isEmpty()) {
        QImageReader reader(localPathFromStored(uploadedUrl));
        const QImage image = reader.read();
        if (!image.isNull())
            return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return namedImage(QStringLiteral("Finder"), size);
}
