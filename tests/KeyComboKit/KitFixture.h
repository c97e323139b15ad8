#pragma once

// What the kit's tests share: a fake layout source installed for the
// process, and the kit's log lines captured.
#include "KeyComboKit/KCCommon.h"
#include "KeyComboKit/KCKeyLayoutSource.h"
#include "KeyComboKit/fake/KCFakeKeyLayoutSource.h"

#include <QLoggingCategory>
#include <QStringList>

#include <gtest/gtest.h>

namespace kctest {

// Key positions the tests type.
inline constexpr quint16 keyA = 0, keyF = 3, keyG = 5, keyY = 16, keyT = 17, keyK = 40;

// Collects the kit's lines (debug included) while it lives.
class LogCapture final {
public:
    LogCapture()
    {
        instance() = this;
        QLoggingCategory::setFilterRules(QStringLiteral("keycombokit.debug=true"));
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
        instance() = nullptr;
    }
    QStringList lines;
    int count(const QString& line) const { return int(lines.count(line)); }
    int countStartingWith(const QString& prefix) const
    {
        return int(std::count_if(
            lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(prefix); }));
    }

private:
    static LogCapture*& instance()
    {
        static LogCapture* current = nullptr;
        return current;
    }
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        if (instance() && context.category && QByteArray(context.category) == "keycombokit")
            instance()->lines.append(message);
    }
    QtMessageHandler m_previous;
};

// Installs a fake layout source with the given layouts for one test.
class FakeLayouts : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(source.select(QStringLiteral("us")));
        KCSetKeyLayoutSource(&source);
    }
    void TearDown() override { KCSetKeyLayoutSource(nullptr); }
    KCFakeKeyLayoutSource source;
};

} // namespace kctest
