// Context menus, drops from other programs and reordering inside the lists.
#include "mainform/mainform.h"

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    return QWidget::eventFilter(watched, event);
}

void MainForm::dragEnterEvent(QDragEnterEvent*) {}
void MainForm::dropEvent(QDropEvent*) {}
