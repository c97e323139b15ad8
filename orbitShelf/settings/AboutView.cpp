#include "settings/AboutView.h"

#include "state/DeviceId.h"
#include "state/UpdaterStandIn.h"
#include "state/VendorAddresses.h"
#include "dock/drawing/NamedImages.h"
#include "network/Network.h"
#include "settings/PageParts.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* row(const QString& text)
{
    auto* label = new QLabel(text);
    label->setMargin(5);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// The device id row: a click copies the id alone.
class CopyRow final : public QLabel {
public:
    CopyRow(const QString& text, std::function<void()> onClick)
        : QLabel(text)
        , m_onClick(std::move(onClick))
    {
        setMargin(5);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
};

} // namespace

AboutInfo standardAboutInfo()
{
    return { applicationVersionText(), deviceUUID().value_or(QString()), vendorSiteAddress(),
        vendorContactEmail(), vendorChannelAddress() };
}

QString feedbackAddress(const AboutInfo& info)
{
    if (info.site.isEmpty())
        return {};
    return info.site + QStringLiteral("/feedback/?version=") + info.version;
}

CheckUpdate standardCheckUpdate()
{
    return [](const QString& version, std::function<void(bool, const QString&)> success,
               std::function<void(const QString&)> failure) {
        Network::shared().checkUpdate(
            version,
            [success = std::move(success)](
                const CheckUpdateCodeResponse& reply) { success(reply.update, reply.url); },
            std::move(failure));
    };
}

AboutModel::AboutModel(AboutInfo info, CheckUpdate checkUpdate, QObject* parent)
    : QObject(parent)
    , m_info(std::move(info))
    , m_checkUpdate(std::move(checkUpdate))
{
}

void AboutModel::checkUpdate()
{
    if (!m_checkUpdate)
        return;
    // The page may close before the service answers.
    QPointer<AboutModel> self(this);
    m_checkUpdate(
        m_info.version,
        [self](bool update, const QString& url) {
            if (!self)
                return;
            if (update)
                self->m_status = { UpdateStatus::Kind::NewVersion,
                    QStringLiteral("🔥 ") + tr("hasNewVersion") + QStringLiteral(" , Go to Download "), url };
            else
                self->m_status
                    = { UpdateStatus::Kind::UpToDate, tr("Your app is at the newest version available"), {} };
            showUpdaterWindow();
            emit self->statusChanged();
        },
        [self](const QString& message) {
            if (!self)
                return;
            self->m_status = { UpdateStatus::Kind::Failed, message, {} };
            emit self->statusChanged();
        });
}

void AboutModel::copyDeviceId() const
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(m_info.deviceId, QClipboard::Clipboard);
}

AboutView::AboutView(QWidget* parent)
    : AboutView(standardAboutInfo(), standardCheckUpdate(), parent)
{
}

AboutView::AboutView(AboutInfo info, CheckUpdate checkUpdate, QWidget* parent)
    : QWidget(parent)
    , m_model(new AboutModel(std::move(info), std::move(checkUpdate), this))
    , m_status(new QLabel)
    , m_note(new QLabel)
{
    setObjectName(QStringLiteral("AboutView"));
    const AboutInfo& about = m_model->info();
    auto* columns = new QHBoxLayout(this);
    columns->setAlignment(Qt::AlignVCenter);

    auto* left = new QVBoxLayout;
    auto* picture = new QLabel;
    picture->setFixedSize(100, 100);
    QImage image = namedImage(QStringLiteral("Finder"), QSize(100, 100) * devicePixelRatioF());
    image.setDevicePixelRatio(devicePixelRatioF());
    picture->setPixmap(QPixmap::fromImage(image));
    addDropShadow(picture, 4, QPointF(0, 2));
    left->addWidget(picture, 0, Qt::AlignHCenter);
    left->addStretch();
    columns->addLayout(left);

    auto* right = new QVBoxLayout;
    right->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* version = new QVBoxLayout;
    version->setContentsMargins(20, 20, 20, 20);
    version->setAlignment(Qt::AlignHCenter);
    version->addWidget(row(tr("Version: ") + about.version), 0, Qt::AlignHCenter);
    auto* check = new QPushButton(tr("Check Update"));
    check->setObjectName(QStringLiteral("checkUpdate"));
    check->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background: #0984e3; border: 2px solid white;"
                       " border-radius: 10px; padding: 8px 16px; }"));
    connect(check, &QPushButton::clicked, m_model, &AboutModel::checkUpdate);
    version->addWidget(check, 0, Qt::AlignHCenter);
    m_status->setObjectName(QStringLiteral("updateStatus"));
    m_status->setTextFormat(Qt::RichText);
    m_status->setOpenExternalLinks(true);
    m_status->hide();
    version->addWidget(m_status, 0, Qt::AlignHCenter);
    m_note->setObjectName(QStringLiteral("updaterNote"));
    m_note->hide();
    version->addWidget(m_note, 0, Qt::AlignHCenter);
    right->addLayout(version);

    right->addWidget(horizontalDivider());
    if (!about.contactEmail.isEmpty())
        right->addWidget(row(tr("Contact Email: ") + about.contactEmail));
    if (!about.channel.isEmpty())
        right->addWidget(row(tr("Telegram: ") + about.channel));
    if (!about.contactEmail.isEmpty() || !about.channel.isEmpty())
        right->addWidget(horizontalDivider());
    const QString feedback = feedbackAddress(about);
    if (!feedback.isEmpty()) {
        auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                                    .arg(feedback.toHtmlEscaped(), tr("Go to Feedback").toHtmlEscaped()));
        link->setObjectName(QStringLiteral("feedbackLink"));
        link->setOpenExternalLinks(true);
        right->addWidget(link);
        right->addWidget(horizontalDivider());
    }
    auto* device = new CopyRow(tr("Device UUID: ") + about.deviceId, [this] { m_model->copyDeviceId(); });
    device->setObjectName(QStringLiteral("deviceId"));
    right->addWidget(device);
    right->addStretch();
    columns->addLayout(right, 1);

    connect(m_model, &AboutModel::statusChanged, this, &AboutView::showStatus);
}

QString AboutView::statusText() const
{
    return m_status->isHidden() ? QString() : m_status->text();
}

void AboutView::showStatus()
{
    const UpdateStatus& status = m_model->status();
    if (status.kind == UpdateStatus::Kind::NewVersion)
        m_status->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                              .arg(status.url.toHtmlEscaped(), status.text.toHtmlEscaped()));
    else
        m_status->setText(status.text.toHtmlEscaped());
    m_status->setStyleSheet(
        status.kind == UpdateStatus::Kind::Failed ? QStringLiteral("color: #d63031;") : QString());
    m_status->setVisible(status.kind != UpdateStatus::Kind::None);
    const bool checked
        = status.kind == UpdateStatus::Kind::UpToDate || status.kind == UpdateStatus::Kind::NewVersion;
    m_note->setText(updaterStandInNote());
    m_note->setVisible(checked);
}
