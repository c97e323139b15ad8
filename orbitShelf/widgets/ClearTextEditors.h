#pragma once

class QApplication;
class QWidget;

// Multi-line text editors show the view behind them: their background is
// clear and their viewport paints none of its own.
void makeTextEditorClear(QWidget* editor);

// Makes every multi-line editor of the process clear as it is polished, and
// again after each style change (a style sheet would bring the base colour
// back). Installed once by main.
void installClearTextEditors(QApplication& app);
