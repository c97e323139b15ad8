// orbitShelf's settings scene behind the SettingsOpener kit, as the program
// registers it, under a page of the tests' own: a button on the page asks
// for the settings window through the kit. Prints "button X,Y WxH" once the
// page is shown, so that a test can click it.
#include "SettingsOpener/SettingsOpener.h"
#include "state/AppState.h"
#include "shell/SettingsScene.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    AppState::shared();
    registerSettingsScene();

    QWidget window;
    window.setWindowTitle(QStringLiteral("Settings opener probe"));
    auto* layout = new QVBoxLayout(&window);
    auto* page = SettingsOpener::withSettingsOpener(new QWidget);
    layout->addWidget(page);
    auto* button = new QPushButton(QStringLiteral("Open Settings"), page);
    (new QVBoxLayout(page))->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, [button] { SettingsOpener::openSettings(button)(); });
    window.resize(240, 80);
    window.move(100, 100);
    window.show();

    QTimer placed;
    QObject::connect(&placed, &QTimer::timeout, [&] {
        if (!window.windowHandle() || !window.windowHandle()->isExposed())
            return;
        placed.stop();
        const QRect at(button->mapToGlobal(QPoint(0, 0)), button->size());
        std::printf("button %d,%d %dx%d\n", at.x(), at.y(), at.width(), at.height());
        std::fflush(stdout);
    });
    placed.start(10);
    return app.exec();
}
