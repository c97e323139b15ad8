#include "settings/ScreensView.h"

#include "state/AppState.h"
#include "settings/PageParts.h"
#include "widgets/GrowingButton.h"
#include "widgets/ScrollIndicators.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

static Q_LOGGING_CATEGORY(lcScreensView, "orbitshelf.settings")

namespace {

// "Monitor1": our own drawing of a monitor on its stand.
QPixmap monitorPicture(int side, qreal ratio)
{
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(QColor(0x2d, 0x34, 0x36));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(side * 0.1, side * 0.18, side * 0.8, side * 0.52);
    p.setBrush(QColor(0xdf, 0xe6, 0xe9));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(body, 4, 4);
    QLinearGradient sky(body.topLeft(), body.bottomRight());
    sky.setColorAt(0, QColor(0x74, 0xb9, 0xff));
    sky.setColorAt(1, QColor(0xa2, 0x9b, 0xfe));
    p.setBrush(sky);
    p.drawRoundedRect(body.adjusted(3, 3, -3, -3), 2, 2);
    p.setBrush(QColor(0xb2, 0xbe, 0xc3));
    p.drawRect(QRectF(side * 0.45, body.bottom(), side * 0.1, side * 0.12));
    p.drawRoundedRect(QRectF(side * 0.3, body.bottom() + side * 0.12, side * 0.4, side * 0.05), 2, 2);
    return pixmap;
}

class RoundedPicture final : public QWidget {
public:
    explicit RoundedPicture(QPixmap pixmap)
        : m_pixmap(std::move(pixmap))
    {
        setFixedSize(100, 100);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 10, 10);
        p.setClipPath(path);
        p.drawPixmap(rect(), m_pixmap);
    }

private:
    QPixmap m_pixmap;
};

QHBoxLayout* labelledField(const QString& title, QLineEdit* field)
{
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(title));
    field->setFixedSize(120, 30);
    field->setAccessibleName(title);
    row->addWidget(field);
    return row;
}

} // namespace

CalibrationDialog::CalibrationDialog(QScreen* screen, QWidget* parent)
    : QDialog(parent)
    , m_screen(screen)
    , m_draft(describeScreen(screen))
    , m_width(new QLineEdit)
    , m_height(new QLineEdit)
    , m_message(new QLabel)
{
    setObjectName(QStringLiteral("CalibrationDialog"));
    setWindowTitle(tr("Calibration Screen Frame"));
    auto* column = new QVBoxLayout(this);
    column->setAlignment(Qt::AlignHCenter);
    column->addWidget(new QLabel(tr("Calibration Screen Frame")), 0, Qt::AlignHCenter);
    m_width->setObjectName(QStringLiteral("widthField"));
    m_height->setObjectName(QStringLiteral("heightField"));
    column->addLayout(labelledField(tr("Visible Width"), m_width));
    column->addLayout(labelledField(tr("Visible Height"), m_height));
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setWordWrap(true);
    m_message->setStyleSheet(QStringLiteral("color: #d63031;"));
    m_message->hide();
    column->addWidget(m_message);
    auto* buttons = new QHBoxLayout;
    auto* close = new QPushButton(tr("Close"));
    close->setObjectName(QStringLiteral("close"));
    close->setAutoDefault(false);
    auto* save = new QPushButton(tr("Save"));
    save->setObjectName(QStringLiteral("save"));
    save->setAutoDefault(false);
    buttons->addWidget(close);
    buttons->addWidget(save);
    column->addLayout(buttons);

    m_width->setText(m_draft.widthText());
    m_height->setText(m_draft.heightText());
    connect(m_width, &QLineEdit::editingFinished, this, [this] { commit(m_width); });
    connect(m_height, &QLineEdit::editingFinished, this, [this] { commit(m_height); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, &CalibrationDialog::save);
}

QString CalibrationDialog::message() const
{
    return m_message->isHidden() ? QString() : m_message->text();
}

void CalibrationDialog::commit(QLineEdit* field)
{
    const CalibrationEdit edit
        = field == m_width ? m_draft.editWidth(field->text()) : m_draft.editHeight(field->text());
    field->setText(field == m_width ? m_draft.widthText() : m_draft.heightText());
    m_message->setText(edit.refusal);
    m_message->setVisible(!edit.refusal.isEmpty());
    m_refusedSinceSave = m_refusedSinceSave || !edit.refusal.isEmpty();
}

void CalibrationDialog::save()
{
    if (!m_screen) {
        m_message->setText(tr("This screen is no longer connected; nothing was saved."));
        m_message->show();
        return;
    }
    // What the fields show is what is saved, also when the last edit was not
    // committed with Return.
    for (QLineEdit* field : { m_width, m_height })
        if (field->isModified())
            commit(field);
    // A refused edit since the last "Save" keeps the dialog up once, so the
    // reason is read; saving again stores the numbers the fields show.
    if (std::exchange(m_refusedSinceSave, false))
        return;
    m_draft.save();
    qCInfo(lcScreensView).noquote() << "calibration saved for" << describeScreen(m_screen).key
                                    << m_draft.width() << "x" << m_draft.height();
    emit saved();
    accept();
}

void CalibrationDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!placesLogged())
        return;
    QTimer::singleShot(0, this, [this] {
        logPlace(m_width, QStringLiteral("calibration width field"));
        logPlace(findChild<QPushButton*>(QStringLiteral("save")), QStringLiteral("calibration save"));
    });
}

ScreensView::ScreensView(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ScreensView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    showScrollIndicators(scroll);
    auto* content = new QWidget;
    auto* centre = new QHBoxLayout(content);
    m_grid = new QGridLayout;
    m_grid->setAlignment(Qt::AlignTop);
    centre->addStretch();
    centre->addLayout(m_grid);
    centre->addStretch();
    scroll->setWidget(content);
    outer->addWidget(scroll);
    rebuild();

    connect(&AppState::shared(), &AppState::changed, this, &ScreensView::rebuild);
    // Queued: the list of screens is complete only after the notice.
    connect(qApp, &QGuiApplication::screenAdded, this, &ScreensView::rebuild, Qt::QueuedConnection);
    connect(qApp, &QGuiApplication::screenRemoved, this, &ScreensView::rebuild, Qt::QueuedConnection);
}

void ScreensView::rebuild()
{
    std::vector<ScreenCard> cards;
    for (const QScreen* screen : QGuiApplication::screens())
        cards.push_back(screenCard(describeScreen(screen)));
    if (cards == m_shown && m_grid->count() > 0)
        return;
    m_shown = cards;
    while (QLayoutItem* item = m_grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (int i = 0; i < screens.size(); ++i) {
        QScreen* screen = screens[i];
        const ScreenCard& card = cards[std::size_t(i)];
        auto* cell = new QWidget;
        cell->setObjectName(QStringLiteral("screenCard%1").arg(i));
        cell->setFixedWidth(200);
        auto* column = new QVBoxLayout(cell);
        column->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
        auto* picture = new RoundedPicture(monitorPicture(100, devicePixelRatioF()));
        addDropShadow(picture, 4, QPointF(0, 2));
        column->addWidget(picture, 0, Qt::AlignHCenter);
        for (const QString& text :
            { card.name, card.identifier, card.frameLine, card.visibleLine, card.calibrationLine }) {
            auto* label = new QLabel(text);
            label->setAlignment(Qt::AlignHCenter);
            label->setWordWrap(true);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            column->addWidget(label);
        }
        auto* button = new GrowingButton(tr("Calibration"));
        button->setObjectName(QStringLiteral("calibrate"));
        connect(button, &GrowingButton::clicked, this, [this, guard = QPointer<QScreen>(screen)] {
            if (guard)
                openCalibration(guard);
        });
        column->addWidget(button, 0, Qt::AlignHCenter);
        column->addStretch();
        m_grid->addWidget(cell, i / 3, i % 3, Qt::AlignTop);
    }
    if (isVisible() && placesLogged())
        QTimer::singleShot(0, this, [this] { logPlaces(); });
}

void ScreensView::openCalibration(QScreen* screen)
{
    // One dialog at a time.
    if (m_dialog)
        return;
    m_dialog = new CalibrationDialog(screen, this);
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setWindowModality(Qt::WindowModal);
    connect(m_dialog, &CalibrationDialog::saved, this, &ScreensView::rebuild);
    m_dialog->show();
}

void ScreensView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (placesLogged())
        QTimer::singleShot(0, this, [this] { logPlaces(); });
}

void ScreensView::logPlaces()
{
    for (int i = 0; i < m_grid->count(); ++i)
        if (QWidget* cell = m_grid->itemAt(i)->widget())
            logPlace(cell->findChild<QWidget*>(QStringLiteral("calibrate")),
                QStringLiteral("screens card %1 calibration").arg(i));
}
