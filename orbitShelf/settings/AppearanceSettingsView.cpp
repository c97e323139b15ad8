#include "settings/AppearanceSettingsView.h"

#include "state/AppState.h"
#include "state/CustomSettings.h"
#include "dock/drawing/DockColors.h"
#include "dock/drawing/NamedImages.h"
#include "dock/tiles/DockMainButton.h"
#include "network/NewUpdateTag.h"
#include "widgets/FileView.h"
#include "widgets/ScrollIndicators.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

static Q_LOGGING_CATEGORY(lcSettingsPage, "orbitshelf.settings")

namespace {

// "name@x,y wxh" in screen coordinates, for the log a test reads.
QString placed(const QWidget* widget)
{
    const QRect r(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    return QStringLiteral("%1@%2,%3 %4x%5")
        .arg(widget->objectName())
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

QGroupBox* groupBox(const QString& title)
{
    auto* box = new QGroupBox(QCoreApplication::translate("AppearanceSettingsView", qUtf8Printable(title)));
    QFont bold = box->font();
    bold.setBold(true);
    box->setFont(bold);
    return box;
}

// Children of a bold group box keep the normal weight.
void plainFont(QWidget* widget)
{
    QFont font = widget->font();
    font.setBold(false);
    widget->setFont(font);
}

void paintRoundedPicture(QPainter& painter, const QRectF& area, const QImage& image)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF label = area.adjusted(4, 2, -4, -6);
    shadeAndClipMainButtonLabel(painter, label);
    painter.drawImage(label, image);
}

} // namespace

ColorSwatch::ColorSwatch(uint32_t rgb, std::function<void()> onClick, QWidget* parent)
    : QWidget(parent)
    , m_rgb(rgb)
    , m_onClick(std::move(onClick))
{
    setFixedSize(40, 20);
    if (m_onClick)
        setCursor(Qt::PointingHandCursor);
}

void ColorSwatch::setRgb(uint32_t rgb)
{
    if (rgb == m_rgb)
        return;
    m_rgb = rgb;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = QColor::fromRgb(m_rgb);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 5, 5);
    painter.fillPath(path, colour);
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_onClick && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_onClick();
}

PictureTile::PictureTile(QImage image, QSize size, std::function<void()> onClick, QWidget* parent)
    : QWidget(parent)
    , m_image(std::move(image))
    , m_size(size)
    , m_onClick(std::move(onClick))
{
    setFixedSize(size);
    setCursor(Qt::PointingHandCursor);
}

void PictureTile::setImage(QImage image)
{
    m_image = std::move(image);
    update();
}

void PictureTile::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    setProperty("selected", selected);
    update();
}

void PictureTile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintRoundedPicture(painter, QRectF(rect()), m_image);
    if (m_selected) {
        painter.setClipping(false);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 10, 10);
    }
}

void PictureTile::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_onClick && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_onClick();
}

AppearanceSettingsView::AppearanceSettingsView(std::optional<AppearanceServices> services, QWidget* parent)
    : QScrollArea(parent)
    , m_page(std::make_unique<AppearancePage>(
          AppState::shared(), services ? std::move(*services) : standardAppearanceServices(this)))
{
    setObjectName(QStringLiteral("AppearanceSettingsView"));
    setWidgetResizable(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    showScrollIndicators(this);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 20, 20, 20);
    column->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    column->addWidget(stackSection());
    column->addWidget(styleSection());
    column->addWidget(themeSection());
    column->addWidget(heightSection(QStringLiteral("[ Dock Height  ] : "), int(kDockHeightMinimum),
        int(kDockHeightMaximum), 2, m_page->height, &AppearancePage::applyDockHeight, m_dockHeight));
    column->addWidget(colorRow(ColorRow::dock));
    column->addWidget(colorRow(ColorRow::dockTitle));
    column->addWidget(heightSection(QStringLiteral("[ Icon Height  ] : "), int(kIconHeightMinimum),
        int(kIconHeightMaximum), 1, m_page->iconHeight, &AppearancePage::applyIconHeight, m_iconHeight));
    auto* indicators = groupBox(QStringLiteral("Indicator Style"));
    auto* indicatorColumn = new QVBoxLayout(indicators);
    indicatorColumn->addWidget(colorRow(ColorRow::openIndicator));
    indicatorColumn->addWidget(colorRow(ColorRow::previousIndicator));
    column->addWidget(indicators);
    column->addWidget(dockIconSection());
    column->addStretch(1);
    setWidget(content);
    markChoices();
}

AppearanceSettingsView::~AppearanceSettingsView() = default;

void AppearanceSettingsView::showEvent(QShowEvent* event)
{
    QScrollArea::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    m_page->windowWidth = std::max(0, viewport()->width() - 45);
    for (const auto& run : m_onFirstShow)
        run();
    if (lcSettingsPage().isDebugEnabled()) {
        // Once laid out: where the tiles stand.
        QTimer::singleShot(0, this, [this] {
            // One line per tile: a log line holds at most 300 characters.
            for (const QWidget* tile : findChildren<QWidget*>()) {
                if (qobject_cast<const ColorSwatch*>(tile) || qobject_cast<const PictureTile*>(tile))
                    qCDebug(lcSettingsPage).noquote() << "appearance page shown:" << placed(tile);
            }
        });
    }
}

bool AppearanceSettingsView::eventFilter(QObject* watched, QEvent* event)
{
    auto* slider = qobject_cast<QSlider*>(watched);
    if (slider && event->type() == QEvent::Wheel && !slider->hasFocus()) {
        QCoreApplication::sendEvent(verticalScrollBar(), event);
        return true;
    }
    return QScrollArea::eventFilter(watched, event);
}

QWidget* AppearanceSettingsView::stackSection()
{
    auto* box = groupBox(QStringLiteral("[ Stack Mode Layout ]"));
    auto* form = new QFormLayout(box);
    form->setContentsMargins(10, 20, 10, 0);
    auto* field = new QLineEdit(QLocale().toString(m_page->stackMode));
    field->setObjectName(QStringLiteral("stackMode"));
    field->setFixedSize(300, 30);
    plainFont(field);
    auto* label = new QLabel(QStringLiteral("Stack Mode Layout"));
    plainFont(label);
    form->addRow(label, field);
    // Return or leaving the field commits; the field then shows what holds.
    connect(field, &QLineEdit::editingFinished, this, [this, field] {
        m_page->commitStackText(field->text(), QLocale());
        field->setText(QLocale().toString(m_page->stackMode));
    });
    return box;
}

QWidget* AppearanceSettingsView::styleSection()
{
    auto* box = groupBox(QStringLiteral("[ Style ]"));
    auto* row = new QHBoxLayout(box);
    auto* toggle = new QCheckBox(QStringLiteral("FullScreen Dock"));
    toggle->setObjectName(QStringLiteral("fullScreenDock"));
    plainFont(toggle);
    toggle->setChecked(m_page->fullscreenDock);
    connect(toggle, &QCheckBox::toggled, this, [this](bool on) { m_page->applyFullScreenDock(on); });
    row->addWidget(toggle);
    row->addWidget(new NewUpdateTag);
    row->addStretch(1);
    return box;
}

QWidget* AppearanceSettingsView::themeSection()
{
    auto* box = groupBox(QStringLiteral("[ Multiple Task Theme  ]"));
    auto* column = new QVBoxLayout(box);
    for (const ButtonThemeChoice& choice : buttonThemeChoices()) {
        const QSize size(210, 48);
        auto* tile = new PictureTile(
            namedImage(choice.picture, size - QSize(8, 8)), size, [this, theme = choice.theme] {
                // Marked once answered: a restart that failed leaves the new
                // theme stored.
                m_page->applyButtonTheme(theme, [this] { markChoices(); });
            });
        tile->setObjectName(choice.picture);
        m_themeTiles.emplace_back(tile, choice.theme);
        column->addWidget(tile, 0, Qt::AlignHCenter);
    }
    return box;
}

QWidget* AppearanceSettingsView::heightSection(const QString& prefix, int minimum, int maximum, int step,
    double& value, void (AppearancePage::*apply)(), HeightControls& controls)
{
    auto* box = groupBox(heightLabel(prefix, value));
    auto* outer = new QVBoxLayout(box);
    auto* row = new QHBoxLayout;
    outer->addLayout(row);
    auto* note = new QLabel;
    note->setObjectName(prefix.contains(QLatin1String("Dock")) ? QStringLiteral("dockHeightNote")
                                                               : QStringLiteral("iconHeightNote"));
    note->setWordWrap(true);
    plainFont(note);
    note->hide();
    outer->addWidget(note);
    // The slider counts in steps, so a drag can only land on allowed values.
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(
        prefix.contains(QLatin1String("Dock")) ? QStringLiteral("dockHeight") : QStringLiteral("iconHeight"));
    slider->setRange(minimum / step, maximum / step);
    slider->setValue(int(std::lround(value / step)));
    slider->setPageStep(std::max(1, 10 / step));
    // The wheel moves the slider only once it has focus; before that it
    // scrolls the page, so reading the page never changes the bar.
    slider->setFocusPolicy(Qt::StrongFocus);
    slider->installEventFilter(this);
    row->addWidget(slider);
    controls = { slider, box, note, prefix, step, &value };
    const auto follow = [box, prefix, step, &value, slider] {
        value = double(slider->value() * step);
        box->setTitle(heightLabel(prefix, value));
    };
    HeightControls* self = &controls;
    const auto store = [this, apply, self] {
        (m_page.get()->*apply)();
        showHeights(*self);
    };
    // Stored at press and release of a drag; a key or wheel change, which
    // has no press, is stored as it happens.
    connect(slider, &QSlider::sliderPressed, this, store);
    connect(slider, &QSlider::sliderReleased, this, [store, follow] {
        follow();
        store();
    });
    connect(slider, &QSlider::valueChanged, this, [store, follow, slider] {
        follow();
        if (!slider->isSliderDown())
            store();
    });
    return box;
}

void AppearanceSettingsView::showHeights(HeightControls& stored)
{
    for (HeightControls* controls : { &m_dockHeight, &m_iconHeight }) {
        if (!controls->slider)
            continue;
        // The stored section's own value is what the user set; the other
        // follows the page without storing again.
        if (controls != &stored) {
            const QSignalBlocker quiet(controls->slider);
            controls->slider->setValue(int(std::lround(*controls->value / controls->step)));
            static_cast<QGroupBox*>(controls->box)->setTitle(heightLabel(controls->prefix, *controls->value));
        }
        // Said under the slider in hand, where the user looks.
        const bool noted = controls == &stored && !m_page->fitNote.isEmpty();
        controls->note->setText(noted ? m_page->fitNote : QString());
        controls->note->setVisible(noted);
    }
}

void AppearanceSettingsView::markChoices()
{
    const CustomSettings settings;
    const QString theme = settings.buttonTheme();
    // An unknown stored theme draws as the big-icon one.
    const bool known = std::any_of(m_themeTiles.begin(), m_themeTiles.end(),
        [&theme](const auto& tile) { return tile.second == theme; });
    for (const auto& [tile, choice] : m_themeTiles)
        tile->setSelected(choice == (known ? theme : QStringLiteral("bigIcon")));
    const bool uploaded = settings.isDockIconCustomUpload();
    const QString icon = settings.dockIcon();
    for (const auto& [tile, name] : m_iconTiles)
        tile->setSelected(!uploaded && name == icon);
    if (m_uploadedTile)
        m_uploadedTile->setSelected(uploaded);
}

QWidget* AppearanceSettingsView::colorRow(ColorRow row)
{
    const ColorRowSpec& spec = colorRowSpec(row);
    QWidget* container = spec.group.isEmpty() ? new QWidget : groupBox(spec.group);
    auto* column = new QVBoxLayout(container);
    auto* line = new QHBoxLayout;
    auto* label
        = new QLabel(QCoreApplication::translate("AppearanceSettingsView", qUtf8Printable(spec.label)));
    plainFont(label);
    auto* field = new QLineEdit(m_page->colorText(row));
    field->setObjectName(spec.settingKey);
    field->setFixedSize(spec.fieldWidth, 30);
    plainFont(field);
    auto* swatch = new ColorSwatch(m_page->swatchRgb(row));
    swatch->setObjectName(spec.settingKey + QStringLiteral("Swatch"));
    line->addWidget(label);
    line->addWidget(field);
    line->addWidget(swatch);
    line->addStretch(1);
    column->addLayout(line);
    auto* why = new QLabel;
    why->setObjectName(spec.settingKey + QStringLiteral("Error"));
    why->setStyleSheet(QStringLiteral("color: red;"));
    why->setWordWrap(true);
    why->hide();
    column->addWidget(why);
    const auto apply = [this, row, swatch, why](const QString& text) {
        const bool taken = m_page->applyColorText(row, text);
        why->setText(taken ? QString() : AppearancePage::notAColorMessage(text));
        why->setVisible(!taken);
        swatch->setRgb(m_page->swatchRgb(row));
    };
    connect(field, &QLineEdit::textChanged, this, apply);
    // Leaving the field shows what holds; the reason stays until a colour is typed.
    connect(field, &QLineEdit::editingFinished, this, [this, row, field] {
        if (field->text() == m_page->colorText(row))
            return;
        const QSignalBlocker quiet(field);
        field->setText(m_page->colorText(row));
    });
    m_onFirstShow.push_back([field, apply] { apply(field->text()); });
    auto* tiles = new QHBoxLayout;
    for (const QString& colour : m_page->palette(row)) {
        // A tile fills the field too, so the store and the field agree and
        // the next edit starts from the tile's colour.
        auto* tile = new ColorSwatch(
            colorFromHex(colour, kTagFallbackColor).rgb() & 0xffffff, [field, colour, apply] {
                if (field->text() == colour)
                    apply(colour);
                else
                    field->setText(colour);
            });
        tile->setObjectName(spec.settingKey + QStringLiteral("-") + colour);
        tiles->addWidget(tile);
    }
    tiles->addStretch(1);
    column->addLayout(tiles);
    return container;
}

QWidget* AppearanceSettingsView::dockIconSection()
{
    auto* box = groupBox(QStringLiteral("[ Dock Icon  ] :"));
    auto* column = new QVBoxLayout(box);
    auto* grid = new QGridLayout;
    const QStringList names = AppState::shared().settings.dockIconList();
    for (int i = 0; i < names.size(); ++i) {
        const QString name = names[i];
        auto* tile = new PictureTile(namedImage(name, QSize(60, 60)), QSize(68, 68), [this, name] {
            m_page->selectBuiltinDockIcon(name);
            markChoices();
        });
        tile->setObjectName(name);
        m_iconTiles.emplace_back(tile, name);
        grid->addWidget(tile, i / 5, i % 5, Qt::AlignCenter);
        grid->setColumnMinimumWidth(i % 5, 100);
    }
    column->addLayout(grid);
    auto* uploaded = new PictureTile(m_page->uploadedTileImage(QSize(60, 60)), QSize(68, 68), [this] {
        m_page->selectUploadedDockIcon();
        markChoices();
    });
    uploaded->setObjectName(QStringLiteral("uploadedDockIcon"));
    m_uploadedTile = uploaded;
    column->addWidget(uploaded, 0, Qt::AlignHCenter);
    auto* picker = new FileView([this, uploaded](const QString& path) {
        if (m_page->uploadCustomDockIcon(path)) {
            uploaded->setImage(m_page->uploadedTileImage(QSize(60, 60)));
            markChoices();
        }
    });
    plainFont(picker);
    column->addWidget(picker, 0, Qt::AlignHCenter);
    return box;
}
