#include "ADialog.h"

#include <KivResources.h>

#include <QCloseEvent>
#include <QIcon>

ADialog::ADialog(QWidget *parent) : QWidget(parent)
{
    initKivResources();
    setWindowIcon(QIcon(QStringLiteral(":/gui/menubar/kiv_icon.ico")));
}

ADialog::~ADialog() = default;

void ADialog::closeEvent(QCloseEvent *event)
{
    emit viewHide();
    event->ignore();
}
