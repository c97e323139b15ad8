#pragma once

// The "About" settings page: the picture, the version with "Check Update"
// and what the check answered, the vendor's contact rows and feedback link
// (each only when this build names it), and the device id, copied by a click.

#include <QObject>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;

// What the page shows that does not change while it is open.
struct AboutInfo {
    QString version;
    QString deviceId;
    QString site; // without a trailing slash; empty: no feedback link
    QString contactEmail; // empty: no row
    QString channel; // empty: no row
};
AboutInfo standardAboutInfo();

// site + "/feedback/?version=" + version; empty without a site.
QString feedbackAddress(const AboutInfo& info);

// The update status line: nothing until a check has answered.
struct UpdateStatus {
    enum class Kind { None, UpToDate, Failed, NewVersion } kind = Kind::None;
    QString text; // what the line says
    QString url; // where the new version is, for NewVersion
};

// Asks the web service whether a newer version exists.
using CheckUpdate
    = std::function<void(const QString& version, std::function<void(bool update, const QString& url)> success,
        std::function<void(const QString& message)> failure)>;
CheckUpdate standardCheckUpdate();

class AboutModel final : public QObject {
    Q_OBJECT
public:
    AboutModel(AboutInfo info, CheckUpdate checkUpdate, QObject* parent = nullptr);

    const AboutInfo& info() const { return m_info; }
    const UpdateStatus& status() const { return m_status; }
    // Set after a check that said there is a newer version, else empty.
    QString updateUrl() const { return m_status.url; }

    // "Check Update": the answer lands in status(); the update framework's
    // stand-in says how new versions come here.
    void checkUpdate();
    // The click on the device id row: the bare id on the clipboard.
    void copyDeviceId() const;

signals:
    void statusChanged();

private:
    AboutInfo m_info;
    CheckUpdate m_checkUpdate;
    UpdateStatus m_status;
};

class AboutView final : public QWidget {
    Q_OBJECT
public:
    explicit AboutView(QWidget* parent = nullptr);
    AboutView(AboutInfo info, CheckUpdate checkUpdate, QWidget* parent = nullptr);

    AboutModel& model() { return *m_model; }
    QString statusText() const;

private:
    void showStatus();

    AboutModel* m_model;
    QLabel* m_status;
    QLabel* m_note;
};
