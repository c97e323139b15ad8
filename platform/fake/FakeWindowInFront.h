#pragma once

#include <QObject>

#include <functional>

namespace platform::fake {

// The platform's word that the window in front may have gone into or out of
// full screen, told when a test says so:
//
//   platform::fake::FakeWindowInFront front;
//   services.dockWindowHints.watchWindowInFront = front.watch();
//   ...
//   fake.updateWindow(film, [](ServerWindow& w) { w.fullScreen = true; });
//   emit front.changed();
class FakeWindowInFront final : public QObject {
    Q_OBJECT
public:
    std::function<QMetaObject::Connection(QObject*, std::function<void()>)> watch()
    {
        return [this](QObject* context, std::function<void()> listener) {
            return connect(this, &FakeWindowInFront::changed, context, std::move(listener));
        };
    }

signals:
    void changed();
};

} // namespace platform::fake
