#include "settings/LaunchAtLogin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>

static Q_LOGGING_CATEGORY(lcLaunchAtLogin, "io.orbitshelf.launchatlogin.main")

namespace LaunchAtLogin {

namespace {

    const char* const kEntryName = "io.orbitshelf.OrbitShelf.desktop";

    void logFailure(bool enabling, const QString& reason)
    {
        qCCritical(lcLaunchAtLogin, "Failed to %s launch at login: %s", enabling ? "enable" : "disable",
            qUtf8Printable(reason));
    }

    // The Desktop Entry string escapes, applied after the Exec quoting.
    QString escapeValue(const QString& value)
    {
        QString out;
        for (const QChar c : value) {
            if (c == u'\\')
                out += QLatin1String("\\\\");
            else if (c == u'\n')
                out += QLatin1String("\\n");
            else if (c == u'\t')
                out += QLatin1String("\\t");
            else if (c == u'\r')
                out += QLatin1String("\\r");
            else
                out += c;
        }
        return out;
    }

} // namespace

QString autostartPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QLatin1String("/.config");
    return config + QLatin1String("/autostart/") + QLatin1String(kEntryName);
}

QString quoteExecArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=%");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString out = argument;
    // A literal '%' is "%%" whether quoted or not.
    out.replace(u'%', QLatin1String("%%"));
    if (!needsQuotes)
        return out;
    QString quoted;
    for (const QChar c : out) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

QByteArray entryText(const QString& program)
{
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=OrbitShelf\n");
    text += QLatin1String("Exec=") + escapeValue(quoteExecArgument(program)) + u'\n';
    text += QLatin1String("Icon=io.orbitshelf.OrbitShelf\nX-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool isEnabled()
{
    QFile file(autostartPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Hidden=true is how a desktop marks an autostart entry as switched off.
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith("Hidden") && trimmed.mid(6).trimmed().startsWith('=')
            && trimmed.mid(trimmed.indexOf('=') + 1).trimmed() == "true")
            return false;
    }
    return true;
}

void setEnabled(bool enabled, const QString& program)
{
    const QString path = autostartPath();
    if (!enabled) {
        QFile file(path);
        if (file.exists() && !file.remove())
            logFailure(false, file.errorString());
        return;
    }
    const QString binary = program.isEmpty() ? QCoreApplication::applicationFilePath() : program;
    if (binary.isEmpty() || !QDir::isAbsolutePath(binary)) {
        logFailure(true, QStringLiteral("the program's own path is not known"));
        return;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        logFailure(true, QStringLiteral("cannot create the folder %1").arg(folder));
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        logFailure(true, file.errorString());
        return;
    }
    file.write(entryText(binary));
    if (!file.commit())
        logFailure(true, file.errorString());
}

void Observable::setEnabled(bool enabled)
{
    emit changed();
    LaunchAtLogin::setEnabled(enabled);
    // Once more after the write: the switch shows what the file now says,
    // also when the write failed.
    emit changed();
}

Observable& sharedObservable()
{
    static Observable* const observable = new Observable;
    return *observable;
}

Toggle::Toggle(QWidget* parent)
    : Toggle(QStringLiteral("Launch at login"), parent)
{
}

Toggle::Toggle(const QString& text, QWidget* parent)
    : QWidget(parent)
{
    build(text, nullptr);
}

Toggle::Toggle(const char* key, QWidget* parent)
    : QWidget(parent)
{
    build(QCoreApplication::translate("LaunchAtLogin", key), nullptr);
}

Toggle::Toggle(const std::function<QWidget*()>& label, QWidget* parent)
    : QWidget(parent)
{
    build(QString(), label ? label() : nullptr);
}

void Toggle::build(const QString& text, QWidget* label)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_box = new QCheckBox(text, this);
    m_box->setObjectName(QStringLiteral("LaunchAtLoginToggle"));
    layout->addWidget(m_box);
    if (label)
        layout->addWidget(label);
    layout->addStretch();
    Observable& observable = sharedObservable();
    m_box->setChecked(observable.isEnabled());
    connect(m_box, &QCheckBox::toggled, this, [](bool on) {
        if (sharedObservable().isEnabled() != on)
            sharedObservable().setEnabled(on);
    });
    connect(&observable, &Observable::changed, m_box, [box = m_box] {
        const QSignalBlocker block(box);
        box->setChecked(sharedObservable().isEnabled());
    });
}

} // namespace LaunchAtLogin
