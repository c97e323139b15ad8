#pragma once

#include <QApplication>

#include <functional>

// The application object. An exception thrown by a handler while one event
// is dispatched is reported and the event loop goes on with the next event;
// a dock that vanishes over one bad event takes the user's bar with it.
class AppCenterApplication final : public QApplication {
    Q_OBJECT
public:
    AppCenterApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs one dispatch; a std::exception escaping it is logged and yields false.
// Anything else is not caught.
bool guardedDispatch(const std::function<bool()>& dispatch);
