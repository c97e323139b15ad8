#include "widgets/SizeReaders.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace {

// Watches show, move and resize of its parent widget and reports the value
// that `read` takes from it whenever it differs from the last report.
template <typename Value> class GeometryReader final : public QObject {
public:
    GeometryReader(
        QWidget* view, std::function<Value(const QWidget*)> read, std::function<void(Value)> onChange)
        : QObject(view)
        , m_view(view)
        , m_read(std::move(read))
        , m_onChange(std::move(onChange))
    {
        view->installEventFilter(this);
        if (view->isVisible())
            report();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_view
            && (event->type() == QEvent::Show || event->type() == QEvent::Resize
                || event->type() == QEvent::Move)
            && m_view->isVisible())
            report();
        return false;
    }

private:
    void report()
    {
        const Value value = m_read(m_view);
        if (m_last && *m_last == value)
            return;
        m_last = value;
        if (m_onChange)
            m_onChange(value);
    }

    QWidget* m_view;
    std::function<Value(const QWidget*)> m_read;
    std::function<void(Value)> m_onChange;
    std::optional<Value> m_last;
};

} // namespace

void readSize(QWidget* view, std::function<void(QSize)> onChange)
{
    new GeometryReader<QSize>(
        view, [](const QWidget* w) { return w->size(); }, std::move(onChange));
}

void readFrame(QWidget* view, const QWidget* space, std::function<void(QRect)> onChange)
{
    QPointer<const QWidget> target(space);
    new GeometryReader<QRect>(
        view,
        [target, global = space == nullptr](const QWidget* w) {
            const QPoint origin
                = global || !target ? w->mapToGlobal(QPoint(0, 0)) : w->mapTo(target, QPoint(0, 0));
            return QRect(origin, w->size());
        },
        std::move(onChange));
}
