#include "DialogKeys.h"

#include <QKeyEvent>
#include <QPushButton>

bool answerDialogKey(QKeyEvent *event, QPushButton *confirm, QPushButton *cancel)
{
    QPushButton *target = nullptr;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (confirm)
            target = cancel->hasFocus() ? cancel : confirm;
        break;
    case Qt::Key_Escape:
        target = cancel;
        break;
    default:
        break;
    }
    if (!target)
        return false;
    event->accept();
    target->click();
    return true;
}
