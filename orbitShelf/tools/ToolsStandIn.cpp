#include "tools/ToolsStandIn.h"

#include <QLabel>

std::unique_ptr<QWidget> makeToolHubView()
{
    auto label = std::make_unique<QLabel>(QStringLiteral("The built-in tools are not part of this build yet."));
    label->setAlignment(Qt::AlignCenter);
    label->setMargin(24);
    label->setStyleSheet(QStringLiteral("color: white;"));
    return label;
}
