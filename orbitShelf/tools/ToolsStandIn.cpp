#include "tools/ToolsStandIn.h"

#include <QLabel>

QWidget* makePasteBoardView(std::optional<int> column, int limit)
{
    auto* view = new QLabel(QStringLiteral("The clipboard history is not available in this build."));
    view->setAlignment(Qt::AlignCenter);
    view->setProperty("column", column ? QVariant(*column) : QVariant());
    view->setProperty("limit", limit);
    return view;
}

namespace {
QWidget* placeholderPage(const QString& text)
{
    auto* view = new QLabel(text);
    view->setAlignment(Qt::AlignCenter);
    return view;
}
} // namespace

QWidget* makePomodoroView()
{
    return placeholderPage(QStringLiteral("The Pomodoro timer is not available in this build."));
}

std::unique_ptr<QWidget> makeToolHubView()
{
    auto label = std::make_unique<QLabel>(QStringLiteral("The built-in tools are not part of this build yet."));
    label->setAlignment(Qt::AlignCenter);
    label->setMargin(24);
    label->setStyleSheet(QStringLiteral("color: white;"));
    return label;
}
