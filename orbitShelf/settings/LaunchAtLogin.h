#pragma once

#include <QCheckBox>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// Starting orbitShelf when the user logs in: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/io.orbitshelf.OrbitShelf.desktop. The file is
// the only state; every read looks at it afresh.
namespace LaunchAtLogin {

// Where the entry lives (XDG_CONFIG_HOME, else ~/.config).
QString autostartPath();
// The entry's text for `program` (an absolute path), its Exec quoted and
// escaped so that any path, spaces and quotes included, reads back unchanged.
QByteArray entryText(const QString& program);
// One Exec argument, quoted when it needs to be.
QString quoteExecArgument(const QString& argument);

// On exactly when the entry exists and is not Hidden.
bool isEnabled();
// On rewrites the entry atomically (a failed write leaves the old one); off
// removes it. A failure is logged as "Failed to enable/disable launch at
// login: <reason>" and otherwise changes nothing. `program` defaults to this
// process's binary.
void setEnabled(bool enabled, const QString& program = {});

// Sends changed() before each write so every switch re-reads the state.
class Observable final : public QObject {
    Q_OBJECT
public:
    bool isEnabled() const { return LaunchAtLogin::isEnabled(); }
    void setEnabled(bool enabled);

signals:
    void changed();
};
Observable& sharedObservable();

// The ready-made switch, bound to sharedObservable().
class Toggle final : public QWidget {
public:
    // The label "Launch at login".
    explicit Toggle(QWidget* parent = nullptr);
    // `text` shown as written.
    explicit Toggle(const QString& text, QWidget* parent = nullptr);
    // A translatable key, looked up in the "LaunchAtLogin" context.
    explicit Toggle(const char* key, QWidget* parent = nullptr);
    // A label view of the caller's making, shown beside a bare switch.
    explicit Toggle(const std::function<QWidget*()>& label, QWidget* parent = nullptr);

    QCheckBox* checkBox() const { return m_box; }

private:
    void build(const QString& text, QWidget* label);
    QCheckBox* m_box = nullptr;
};

} // namespace LaunchAtLogin
