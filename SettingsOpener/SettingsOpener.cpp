#include "SettingsOpener/SettingsOpener.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QMetaMethod>
#include <QPointer>
#include <QPushButton>

#include <utility>

namespace SettingsOpener {

namespace {

    OpeningWay& currentWay()
    {
        static OpeningWay way = OpeningWay::link;
        return way;
    }

    Action& scene()
    {
        static Action action;
        return action;
    }

    const char* const injectionName = "SettingsOpener.injection";

    // What withSettingsOpener leaves on the content: the action handed to
    // everything inside, and the hidden link it fires on the link way.
    class Injection final : public QObject {
    public:
        explicit Injection(QWidget* content)
            : QObject(content)
        {
            setObjectName(QString::fromLatin1(injectionName));
            if (openingWay() != OpeningWay::link)
                return;
            m_link = new QPushButton(content);
            m_link->setObjectName(QStringLiteral("SettingsOpener.link"));
            m_link->setFlat(true);
            m_link->setFocusPolicy(Qt::NoFocus);
            m_link->setFixedSize(0, 0);
            auto* transparent = new QGraphicsOpacityEffect(m_link);
            transparent->setOpacity(0.0);
            m_link->setGraphicsEffect(transparent);
            m_link->lower();
            m_link->hide();
            connect(m_link, &QPushButton::clicked, this, [] {
                if (scene())
                    scene()();
            });
            prePostActionsButtonStyle(m_link, nullptr, nullptr,
                { [this] { return m_closure; }, [this](Action action) { published(std::move(action)); } });
        }

        void open()
        {
            if (m_link && !m_ready) {
                m_pending = true;
                return;
            }
            m_closure();
        }

        QPushButton* link() const { return m_link; }

    private:
        void published(Action action)
        {
            m_closure = std::move(action);
            m_ready = true;
            if (std::exchange(m_pending, false))
                m_closure();
        }

        Action m_closure = sendShowSettingsAction;
        QPointer<QPushButton> m_link;
        bool m_ready = false;
        bool m_pending = false;
    };

    Injection* injectionOf(const QWidget* widget)
    {
        return dynamic_cast<Injection*>(
            widget->findChild<QObject*>(QString::fromLatin1(injectionName), Qt::FindDirectChildrenOnly));
    }

} // namespace

void setOpeningWay(OpeningWay way)
{
    currentWay() = way;
}

OpeningWay openingWay()
{
    return currentWay();
}

void setSettingsScene(Action action)
{
    scene() = std::move(action);
}

QWidget* withSettingsOpener(QWidget* content)
{
    if (!injectionOf(content))
        new Injection(content);
    return content;
}

Action openSettings(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (Injection* injection = injectionOf(w))
            return [guard = QPointer<Injection>(injection)] {
                if (guard)
                    guard->open();
            };
    return [] {};
}

void sendShowSettingsAction()
{
    if (openingWay() == OpeningWay::link)
        return;
    const char* signature
        = openingWay() == OpeningWay::showSettingsWindow ? "showSettingsWindow()" : "showPreferencesWindow()";
    QList<QObject*> chain;
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        chain.append(w);
    if (chain.isEmpty() && QApplication::activeWindow())
        chain.append(QApplication::activeWindow());
    chain.append(QCoreApplication::instance());
    for (QObject* object : std::as_const(chain)) {
        if (!object)
            continue;
        const int index = object->metaObject()->indexOfMethod(signature);
        if (index >= 0) {
            object->metaObject()->method(index).invoke(object, Qt::DirectConnection);
            return;
        }
    }
}

QPushButton* settingsLinkOf(const QWidget* content)
{
    const Injection* injection = injectionOf(content);
    return injection ? injection->link() : nullptr;
}

} // namespace SettingsOpener
