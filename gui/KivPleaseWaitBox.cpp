#include "KivPleaseWaitBox.h"

#include "DialogStyles.h"
#include "WindowPlacement.h"

#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>

KivPleaseWaitBox::KivPleaseWaitBox(QWidget *parent)
    : ADialog(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);
}

KivPleaseWaitBox::~KivPleaseWaitBox() = default;

void KivPleaseWaitBox::setupForm()
{
    Form &f = *m_form;
    f.background = DialogStyles::setUpFixedBox(this, QStringLiteral("KivPleaseWaitBox"), 426, 150);
    f.progressBar = DialogStyles::addBusyProgressBar(f.background, 113);

    // Made after the background, so that it lies above it.
    f.alertTextLabel = new QLabel(this);
    f.alertTextLabel->setObjectName(QStringLiteral("alertTextLabel"));
    f.alertTextLabel->setGeometry(43, 14, 340, 54);
    f.alertTextLabel->setFixedSize(340, 54);
    f.alertTextLabel->setFont(QFont(QStringLiteral("Verdana"), 11));
    f.alertTextLabel->setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));
    f.alertTextLabel->setAlignment(Qt::AlignCenter);
    f.alertTextLabel->setWordWrap(true);
}

void KivPleaseWaitBox::setText(const QString &text)
{
    m_form->alertTextLabel->setText(text);
}

void KivPleaseWaitBox::showEvent(QShowEvent *event)
{
    // Over the window whose work it waits for; placed before the window system maps it.
    if (!event->spontaneous())
        WindowPlacement::placeOver(this, WindowPlacement::boxOwner(nullptr));
    ADialog::showEvent(event);
}
