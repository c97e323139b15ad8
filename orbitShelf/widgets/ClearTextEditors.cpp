#include "widgets/ClearTextEditors.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

bool isMultiLineEditor(const QObject* object)
{
    return qobject_cast<const QPlainTextEdit*>(object) || qobject_cast<const QTextEdit*>(object);
}

class ClearTextEditorsFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Polish || type == QEvent::StyleChange) && isMultiLineEditor(watched))
            makeTextEditorClear(static_cast<QWidget*>(watched));
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void makeTextEditorClear(QWidget* editor)
{
    QPalette palette = editor->palette();
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        palette.setColor(group, QPalette::Base, Qt::transparent);
        palette.setColor(group, QPalette::Window, Qt::transparent);
    }
    editor->setPalette(palette);
    editor->setAutoFillBackground(false);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(editor)) {
        area->viewport()->setPalette(palette);
        area->viewport()->setAutoFillBackground(false);
    }
}

void installClearTextEditors(QApplication& app)
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    app.installEventFilter(new ClearTextEditorsFilter(&app));
}
