// The shell's small pieces nothing installs yet: the hover coordinator, the
// sender adaptor, and clear multi-line editors.
#include "state/SelectorWrapper.h"
#include "widgets/ClearTextEditors.h"
#include "widgets/MouseInsideModifier.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <vector>

namespace {

void enter(QWidget& widget)
{
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&widget, &event);
}

void leave(QWidget& widget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &event);
}

} // namespace

TEST(MouseInsideModifier, ReportsEnterAndLeaveOnlyWithACallback)
{
    struct Case {
        const char* name;
        bool withCallback;
        std::vector<bool> expected;
    };
    const Case cases[] = {
        { "withCallback", true, { true, false, true } },
        { "withoutCallbackDoesNothing", false, {} },
    };
    for (const Case& c : cases) {
        QWidget view;
        std::vector<bool> reported;
        MouseInsideModifier::Coordinator* coordinator = MouseInsideModifier::install(&view,
            c.withCallback ? std::function<void(bool)>([&](bool inside) { reported.push_back(inside); })
                           : std::function<void(bool)>());
        EXPECT_EQ(coordinator->mouseIsInside.has_value(), c.withCallback) << c.name;
        enter(view);
        leave(view);
        QEvent other(QEvent::User);
        QCoreApplication::sendEvent(&view, &other);
        enter(view);
        EXPECT_EQ(reported, c.expected) << c.name;
    }
}

TEST(MouseInsideModifier, StartsWithoutACallback)
{
    MouseInsideModifier::Coordinator coordinator;
    EXPECT_FALSE(coordinator.mouseIsInside.has_value());
}

TEST(SelectorWrapper, HandsTheTypedSenderToItsClosure)
{
    struct Case {
        const char* name;
        std::function<QObject*(QWidget& parent)> sender;
    };
    const Case cases[] = {
        { "exactType", [](QWidget& parent) -> QObject* { return new QPushButton(&parent); } },
        { "derivedType",
            [](QWidget& parent) -> QObject* { return new QPushButton(QStringLiteral("b"), &parent); } },
    };
    for (const Case& c : cases) {
        QWidget parent;
        QObject* sender = c.sender(parent);
        std::vector<QAbstractButton*> seen;
        const SelectorWrapper<QAbstractButton> wrapper([&](QAbstractButton* b) { seen.push_back(b); });
        wrapper.callClosure(sender);
        EXPECT_EQ(seen, std::vector<QAbstractButton*> { static_cast<QAbstractButton*>(sender) }) << c.name;
    }
}

TEST(SelectorWrapper, AdaptsASignalsSender)
{
    QPushButton button;
    QObject context;
    std::vector<QPushButton*> seen;
    const SelectorWrapper<QPushButton> wrapper([&](QPushButton* b) { seen.push_back(b); });
    wrapper.connect(&button, &QPushButton::clicked, &context);
    button.click();
    button.click();
    EXPECT_EQ(seen, (std::vector<QPushButton*> { &button, &button }));
}

TEST(SelectorWrapperDeathTest, ASenderOfAnotherTypeIsAProgrammingError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const SelectorWrapper<QPushButton> wrapper([](QPushButton*) {});
    QObject notAButton;
    EXPECT_DEATH(wrapper.callClosure(&notAButton), "not of the expected type");
}

TEST(ClearTextEditors, MultiLineEditorsShowTheViewBehindThem)
{
    installClearTextEditors(*qApp);
    for (const bool plain : { true, false }) {
        QWidget backdrop;
        backdrop.setAutoFillBackground(true);
        QPalette red = backdrop.palette();
        red.setColor(QPalette::Window, QColor(200, 0, 0));
        backdrop.setPalette(red);
        auto* layout = new QVBoxLayout(&backdrop);
        QWidget* editor = plain ? static_cast<QWidget*>(new QPlainTextEdit) : new QTextEdit;
        // A style sheet like the quit form's must not bring the base back.
        editor->setStyleSheet(plain ? QStringLiteral("QPlainTextEdit { border: 2px solid blue; }")
                                    : QStringLiteral("QTextEdit { border: 2px solid blue; }"));
        layout->addWidget(editor);
        backdrop.resize(200, 200);
        backdrop.show();
        QApplication::processEvents();
        const QImage picture = backdrop.grab().toImage();
        const QPoint centre = editor->geometry().center();
        EXPECT_EQ(picture.pixelColor(centre), QColor(200, 0, 0)) << (plain ? "QPlainTextEdit" : "QTextEdit");
    }
}
