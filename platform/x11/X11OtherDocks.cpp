#include "platform/x11/X11OtherDocks.h"

#include "platform/Logging.h"
#include "platform/x11/WindowReader.h"
#include "platform/x11/X11Context.h"
#include "platform/x11/X11ReserveWatch.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

namespace platform::x11 {

namespace {

    const char* const kXfconfService = "org.xfce.Xfconf";
    const char* const kXfconfPath = "/org/xfce/Xfconf";
    const char* const kXfconfInterface = "org.xfce.Xfconf";
    const char* const kPanelChannel = "xfce4-panel";
    const char* const kPlankSchema = "net.launchpad.plank.dock.settings";
    // A settings service that does not answer must not hold the onboarding
    // page for long.
    constexpr int kBusTimeoutMs = 3000;
    constexpr int kToolTimeoutMs = 5000;

    // plank's dock name from its command line ("-n NAME", "--name NAME",
    // "--name=NAME"); empty for its default dock.
    QString plankDockOf(qint32 pid)
    {
        if (pid <= 0)
            return {};
        QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> args = file.readAll().split('\0');
        for (qsizetype i = 0; i < args.size(); ++i) {
            if ((args[i] == "-n" || args[i] == "--name") && i + 1 < args.size())
                return QString::fromLocal8Bit(args[i + 1]);
            if (args[i].startsWith("--name="))
                return QString::fromLocal8Bit(args[i].mid(7));
        }
        return {};
    }

    QDBusMessage xfconfCall(const char* method, const QVariantList& arguments)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kXfconfService),
            QLatin1String(kXfconfPath), QLatin1String(kXfconfInterface), QLatin1String(method));
        call.setArguments(arguments);
        return QDBusConnection::sessionBus().call(call, QDBus::Block, kBusTimeoutMs);
    }

    // A value of the bus, unwrapped from its variant.
    QVariant plain(QVariant value)
    {
        while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
            value = value.value<QDBusVariant>().variant();
        return value;
    }

    // The numbers of /panels, in their order: an array of variants.
    std::vector<int> panelNumbers(const QVariant& value)
    {
        std::vector<int> numbers;
        const QVariant v = plain(value);
        if (v.userType() != qMetaTypeId<QDBusArgument>())
            return numbers;
        const QDBusArgument arg = v.value<QDBusArgument>();
        arg.beginArray();
        while (!arg.atEnd()) {
            QDBusVariant element;
            arg >> element;
            numbers.push_back(element.variant().toInt());
        }
        arg.endArray();
        return numbers;
    }

    // Every property under /panels of xfce4-panel's channel, by name;
    // empty when xfconf does not answer.
    QVariantMap panelProperties()
    {
        const QDBusMessage reply = xfconfCall(
            "GetAllProperties", { QString::fromLatin1(kPanelChannel), QStringLiteral("/panels") });
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            qCInfo(lcPlatform).noquote() << "xfce4-panel's settings cannot be read:" << reply.errorMessage();
            return {};
        }
        QVariantMap map;
        const QDBusArgument arg = reply.arguments().constFirst().value<QDBusArgument>();
        arg >> map;
        return map;
    }

    std::vector<XfcePanelSettings> xfcePanels()
    {
        const QVariantMap props = panelProperties();
        std::vector<XfcePanelSettings> panels;
        static const QRegularExpression snap(QStringLiteral("(?:^|;)p=(\\d+)"));
        for (const int n : panelNumbers(props.value(QStringLiteral("/panels")))) {
            const QString key = QStringLiteral("/panels/panel-%1/").arg(n);
            XfcePanelSettings p;
            p.number = n;
            const QRegularExpressionMatch m
                = snap.match(plain(props.value(key + QStringLiteral("position"))).toString());
            p.snap = m.hasMatch() ? m.captured(1).toInt() : 0;
            p.mode = plain(props.value(key + QStringLiteral("mode"))).toInt();
            p.autohide = plain(props.value(key + QStringLiteral("autohide-behavior"))).toInt();
            panels.push_back(p);
        }
        return panels;
    }

    // Runs gsettings with `arguments` (no shell); its output, or absent
    // when it could not run or failed (`why` says how).
    std::optional<QString> gsettings(const QStringList& arguments, QString* why)
    {
        QProcess tool;
        tool.start(QStringLiteral("gsettings"), arguments);
        if (!tool.waitForStarted(kToolTimeoutMs)) {
            *why = QStringLiteral("gsettings cannot run");
            return std::nullopt;
        }
        if (!tool.waitForFinished(kToolTimeoutMs)) {
            tool.kill();
            tool.waitForFinished();
            *why = QStringLiteral("gsettings did not answer");
            return std::nullopt;
        }
        if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
            *why = QString::fromLocal8Bit(tool.readAllStandardError()).trimmed();
            if (why->isEmpty())
                *why = QStringLiteral("gsettings failed");
            return std::nullopt;
        }
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    }

    QString plankSchemaPath(const QString& dock)
    {
        return QStringLiteral("%1:/net/launchpad/plank/docks/%2/").arg(QLatin1String(kPlankSchema), dock);
    }

    // plank's hide mode for `dock` ('intelligent' -> intelligent); empty
    // when it cannot be read.
    QString plankHideMode(const QString& dock)
    {
        QString why;
        const std::optional<QString> out
            = gsettings({ QStringLiteral("get"), plankSchemaPath(dock), QStringLiteral("hide-mode") }, &why);
        if (!out) {
            qCInfo(lcPlatform).noquote() << "plank's hide mode for" << dock << "cannot be read:" << why;
            return {};
        }
        QString mode = *out;
        mode.remove(QLatin1Char('\''));
        return mode;
    }

    std::vector<QRect> screensOf(XConnection& x)
    {
        std::vector<QRect> screens = monitorPlaces(x);
        if (screens.empty()) {
            auto root = x.reply<xcb_get_geometry_reply_t>(xcb_get_geometry(x.raw(), x.root()));
            if (root)
                screens.emplace_back(0, 0, root->width, root->height);
        }
        return screens;
    }

    // WM_WINDOW_ROLE of xfce4-panel's windows, which tells its panels from
    // the strips that bring hidden ones back; one round trip for them all.
    void readRoles(XConnection& x, std::vector<RunningWindow>& windows)
    {
        const xcb_atom_t role = x.atom("WM_WINDOW_ROLE");
        if (role == XCB_ATOM_NONE)
            return;
        std::vector<std::pair<RunningWindow*, xcb_get_property_cookie_t>> asked;
        for (RunningWindow& w : windows)
            if (w.instanceName == QLatin1String("xfce4-panel"))
                asked.emplace_back(&w, requestProperty(x, w.id, role, XCB_ATOM_STRING, 64));
        ReplyBatch batch(x);
        for (auto& [w, cookie] : asked) {
            const Reply<xcb_get_property_reply_t> reply = batch.get<xcb_get_property_reply_t>(cookie);
            w->role = textProperty(reply.get(), x.atoms()).value_or(QString());
        }
    }

    bool hideXfcePanel(int panel, QString* why)
    {
        if (panel <= 0) {
            *why = QStringLiteral("its panel is not found in xfce4-panel's settings");
            return false;
        }
        const QString property = QStringLiteral("/panels/panel-%1/autohide-behavior").arg(panel);
        // Written with the type the property has: xfconf keeps what it is
        // given, and xfce4-panel binds only an unsigned number.
        QVariant value = QVariant::fromValue<uint>(2);
        const QDBusMessage current
            = xfconfCall("GetProperty", { QString::fromLatin1(kPanelChannel), property });
        if (current.type() == QDBusMessage::ReplyMessage && !current.arguments().isEmpty()) {
            QVariant typed(2);
            if (typed.convert(plain(current.arguments().constFirst()).metaType()))
                value = typed;
        }
        const QDBusMessage set = xfconfCall("SetProperty",
            { QString::fromLatin1(kPanelChannel), property, QVariant::fromValue(QDBusVariant(value)) });
        if (set.type() != QDBusMessage::ReplyMessage) {
            *why = set.errorMessage().isEmpty() ? QStringLiteral("xfconf does not answer")
                                                : set.errorMessage();
            return false;
        }
        const QDBusMessage back = xfconfCall("GetProperty", { QString::fromLatin1(kPanelChannel), property });
        if (back.type() != QDBusMessage::ReplyMessage || back.arguments().isEmpty()
            || plain(back.arguments().constFirst()).toInt() != 2) {
            *why = QStringLiteral("its setting did not take the new value");
            return false;
        }
        return true;
    }

    bool hidePlank(const QString& dock, QString* why)
    {
        if (!gsettings({ QStringLiteral("set"), plankSchemaPath(dock), QStringLiteral("hide-mode"),
                           QStringLiteral("auto") },
                why))
            return false;
        if (plankHideMode(dock) != QLatin1String("auto")) {
            *why = QStringLiteral("its setting did not take the new value");
            return false;
        }
        return true;
    }

} // namespace

std::vector<OtherDock> runningOtherDocks(
    const std::shared_ptr<X11Context>& ctx, const std::vector<ReservedEdge::Side>& barSides)
{
    const Snapshot snap = readSnapshot(ctx->x(), ctx->ownPid());
    std::vector<RunningWindow> windows;
    bool xfce = false;
    std::vector<QString> plankDocks;
    for (const ServerWindow& s : snap.windows) {
        if (s.pid == ctx->ownPid() || s.kind != WindowKind::dock)
            continue;
        RunningWindow w;
        w.id = s.id;
        w.instanceName = s.instanceName;
        w.dockType = true;
        w.reserves = s.reservesEdge;
        w.frame = s.frame;
        if (w.instanceName == QLatin1String("plank")) {
            w.plankDock = plankDockOf(s.pid);
            plankDocks.push_back(w.plankDock.isEmpty() ? QStringLiteral("dock1") : w.plankDock);
        }
        xfce = xfce || w.instanceName == QLatin1String("xfce4-panel");
        windows.push_back(w);
    }
    if (xfce)
        readRoles(ctx->x(), windows);
    // Asked only of a desktop that runs them: a question would start
    // xfconf's service where nothing uses it.
    const std::vector<XfcePanelSettings> panels = xfce ? xfcePanels() : std::vector<XfcePanelSettings> {};
    std::vector<PlankSettings> planks;
    for (const QString& dock : plankDocks)
        planks.push_back({ dock, plankHideMode(dock) });
    std::vector<OtherDock> docks = findOtherDocks(windows, panels, planks, barSides, screensOf(ctx->x()));
    for (const OtherDock& d : docks)
        qCInfo(lcPlatform).noquote() << (d.hides ? "another dock runs here, hiding already:"
                                                 : "another dock runs here:")
                                     << otherDockName(d);
    return docks;
}

HideDocksReport hideOtherDocks(const std::vector<OtherDock>& docks)
{
    HideDocksReport report;
    for (const OtherDock& dock : docks) {
        if (dock.hides) {
            report.hidingAlready << otherDockName(dock);
            continue;
        }
        QString why;
        const bool hidden = dock.kind == OtherDock::Kind::plank ? hidePlank(dock.plankDock, &why)
                                                                : hideXfcePanel(dock.panel, &why);
        if (hidden) {
            report.hidden << otherDockName(dock);
            qCInfo(lcPlatform).noquote() << "set to hide always:" << otherDockName(dock);
        } else {
            report.failed << QStringLiteral("%1 (%2)").arg(otherDockName(dock), why);
            qCInfo(lcPlatform).noquote() << "cannot set to hide:" << otherDockName(dock) << "-" << why;
        }
    }
    report.outcome = !report.failed.isEmpty() ? ScriptOutcome::failed
        : report.hidden.isEmpty()             ? ScriptOutcome::notApplicable
                                              : ScriptOutcome::done;
    return report;
}

} // namespace platform::x11
