#include "settings/FeatureTour.h"

#include "settings/PageParts.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString tourText(const char* key)
{
    return QCoreApplication::translate("FeatureTour", key);
}

// Paints its picture scaled to fit, proportions kept, centred in its frame;
// the frame itself shrinks with the tour, proportions kept too.
class DemoImage final : public QWidget {
public:
    explicit DemoImage(const TourImage& image, QWidget* parent = nullptr)
        : QWidget(parent)
        , m_picture(tourPicture(image.name))
        , m_frame(tourImageFrame(image, m_picture.size()))
    {
        setObjectName(image.name);
        setFixedSize(m_frame);
        addDropShadow(this, 10, QPointF(0, 0));
    }

    int frameWidth() const { return m_frame.width(); }
    void scaleFrame(double scale) { setFixedSize(m_frame * scale); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (!m_picture.isNull())
            p.drawImage(tourImageRect(size(), m_picture.size()), m_picture);
    }

private:
    QImage m_picture;
    QSize m_frame;
};

QLabel* titleLabel(const QString& text, bool large)
{
    auto* label = new QLabel(text);
    label->setWordWrap(large);
    label->setAlignment(Qt::AlignHCenter);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * (large ? 1.6 : 1.4));
    label->setFont(f);
    addDropShadow(label, 5, QPointF(2, 2), QColor(Qt::gray));
    return label;
}

QWidget* featureList()
{
    auto* list = new QWidget;
    list->setObjectName(QStringLiteral("featureList"));
    auto* column = new QVBoxLayout(list);
    column->setAlignment(Qt::AlignLeft);
    bool heading = true;
    for (const QString& line : tourFeatureLines()) {
        auto* label = titleLabel(tourText(qUtf8Printable(line)), false);
        const int pad = heading ? 10 : 5;
        label->setContentsMargins(pad, pad, pad, pad);
        column->addWidget(label, 0, Qt::AlignLeft);
        heading = false;
    }
    return list;
}

} // namespace

const std::vector<TourSection>& tourSections()
{
    static const std::vector<TourSection> sections {
        { QStringLiteral("What are the differences between OrbitShelf and the native macOS Dock?"),
            { { { QStringLiteral("macos-dock-demo-1"), 400, 300 },
                  { QStringLiteral("orbitshelf-demo-1"), 400, 400 } },
                { { QStringLiteral("option-demo-1"), 400, 200 } } },
            true, false },
        { QStringLiteral("Option + Tab"),
            { { { QStringLiteral("OptionTab"), 600, std::nullopt } },
                { { QStringLiteral("optionkeyboard"), 600, std::nullopt } } },
            false, true },
        { QStringLiteral("Customizable Settings"), { { { QStringLiteral("Intro-1"), 800, std::nullopt } } },
            false, false },
        { QStringLiteral("Plugins"), { { { QStringLiteral("Intro-3"), 600, std::nullopt } } }, false, false },
        { QStringLiteral("Binding Hotkey"), { { { QStringLiteral("Hotkey-demo"), 600, std::nullopt } } },
            false, true },
    };
    return sections;
}

const QStringList& tourFeatureLines()
{
    static const QStringList lines {
        QStringLiteral("Features"),
        QStringLiteral("1 Expanded All Windows"),
        QStringLiteral("2 Themes Support"),
        QStringLiteral("3 Multiple Space/Desktop Multiple Dock"),
        QStringLiteral("4 Powerfull Option-Tab Replace Command-Tab"),
        QStringLiteral("5 Binding hotkeys for every windows/app"),
    };
    return lines;
}

QSize tourImageFrame(const TourImage& image, const QSize& natural)
{
    const int width = int(std::lround(image.width));
    if (image.height)
        return { width, int(std::lround(*image.height)) };
    // A missing picture keeps a square frame of its width.
    if (natural.isEmpty())
        return { width, width };
    return { width, int(std::lround(image.width * natural.height() / natural.width())) };
}

QRect tourImageRect(const QSize& frame, const QSize& natural)
{
    if (natural.isEmpty() || frame.isEmpty())
        return {};
    const QSize fitted = natural.scaled(frame, Qt::KeepAspectRatio);
    return { QPoint((frame.width() - fitted.width()) / 2, (frame.height() - fitted.height()) / 2), fitted };
}

QImage tourPicture(const QString& name)
{
    // Each picture is a simple schematic of what its section shows: a bar of
    // tiles, a row of window cards, or keys; proportions differ on purpose.
    struct Art {
        const char* name;
        QSize size;
        int tiles;
        QColor tint;
    };
    static const Art arts[] = {
        { "macos-dock-demo-1", QSize(800, 600), 6, QColor(0x8a, 0x94, 0xa6) },
        { "orbitshelf-demo-1", QSize(800, 800), 8, QColor(0x3f, 0x7f, 0xe0) },
        { "option-demo-1", QSize(800, 400), 4, QColor(0x5b, 0x4b, 0xd6) },
        { "OptionTab", QSize(1200, 600), 5, QColor(0x1e, 0x6f, 0xd9) },
        { "optionkeyboard", QSize(1200, 400), 3, QColor(0x55, 0x60, 0x6a) },
        { "Intro-1", QSize(1600, 1000), 7, QColor(0x00, 0xa0, 0x7a) },
        { "Intro-3", QSize(1200, 800), 6, QColor(0xe0, 0x9a, 0x1a) },
        { "Hotkey-demo", QSize(1200, 500), 4, QColor(0xc2, 0x30, 0x7e) },
    };
    for (const Art& art : arts) {
        if (name != QLatin1String(art.name))
            continue;
        QImage image(art.size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF whole(0, 0, art.size.width(), art.size.height());
        QPainterPath back;
        back.addRoundedRect(whole.adjusted(4, 4, -4, -4), 24, 24);
        QLinearGradient sky(whole.topLeft(), whole.bottomLeft());
        sky.setColorAt(0, art.tint.lighter(170));
        sky.setColorAt(1, art.tint.lighter(120));
        p.fillPath(back, sky);
        const double unit = whole.width() / (art.tiles * 1.4 + 0.4);
        const double side = std::min(unit, whole.height() / 3);
        const double y = whole.height() - side * 1.4;
        for (int i = 0; i < art.tiles; ++i) {
            QPainterPath tile;
            tile.addRoundedRect(QRectF(unit * 0.4 + i * unit * 1.4, y, side, side), side / 5, side / 5);
            p.fillPath(tile, QColor::fromHsv((art.tint.hsvHue() + i * 37) % 360, 150, 235));
        }
        return image;
    }
    return {};
}

QWidget* makeFeatureTour(int width)
{
    auto* area = new QScrollArea;
    area->setObjectName(QStringLiteral("featureTour"));
    area->setFixedSize(width, kTourHeight);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    area->setWidgetResizable(true);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    const QMargins sectionMargins(20, 20, 20, 20);
    struct PictureRow {
        QHBoxLayout* layout;
        std::vector<DemoImage*> pictures;
    };
    std::vector<PictureRow> pictureRows;
    for (const TourSection& section : tourSections()) {
        auto* box = new QWidget;
        box->setObjectName(QStringLiteral("tourSection"));
        auto* inner = new QVBoxLayout(box);
        inner->setContentsMargins(sectionMargins);
        inner->addWidget(titleLabel(tourText(qUtf8Printable(section.title)), true));
        for (std::size_t r = 0; r < section.rows.size(); ++r) {
            auto* row = new QHBoxLayout;
            PictureRow pictureRow { row, {} };
            row->addStretch();
            for (const TourImage& image : section.rows[r]) {
                auto* picture = new DemoImage(image);
                pictureRow.pictures.push_back(picture);
                row->addWidget(picture, 0, Qt::AlignVCenter);
            }
            if (section.featureListInLastRow && r + 1 == section.rows.size())
                row->addWidget(featureList(), 0, Qt::AlignVCenter);
            row->addStretch();
            inner->addLayout(row);
            pictureRows.push_back(std::move(pictureRow));
        }
        if (section.greyDivider) {
            auto* divider = new QFrame;
            divider->setObjectName(QStringLiteral("greyDivider"));
            divider->setFixedHeight(1);
            divider->setStyleSheet(QStringLiteral("background: gray;"));
            inner->addWidget(divider);
        }
        column->addWidget(box, 0, Qt::AlignHCenter);
    }

    // The pictures shrink together, proportions kept, until the widest row
    // (its feature list, spacing and margins as they are) fits inside the
    // frame beside the scroll bar: nothing of the tour is cut at its side.
    const int room = width - 2 * area->frameWidth()
        - area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area->verticalScrollBar())
        - column->contentsMargins().left() - column->contentsMargins().right() - sectionMargins.left()
        - sectionMargins.right();
    double scale = 1.0;
    for (const PictureRow& row : pictureRows) {
        int pictures = 0;
        for (const DemoImage* picture : row.pictures)
            pictures += picture->frameWidth();
        const int rest = row.layout->minimumSize().width() - pictures;
        if (pictures > 0)
            scale = std::min(scale, double(room - rest) / pictures);
    }
    scale = std::max(scale, 0.1);

    for (const PictureRow& row : pictureRows) {
        for (DemoImage* picture : row.pictures)
            picture->scaleFrame(scale);
        // Nothing is shown yet, so the layouts learn the new sizes only here.
        row.layout->invalidate();
        row.layout->parentWidget()->layout()->invalidate();
    }
    column->invalidate();
    area->setWidget(content);
    return area;
}
