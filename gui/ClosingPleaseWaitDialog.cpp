#include "ClosingPleaseWaitDialog.h"

#include "DialogStyles.h"
#include "WindowPlacement.h"

#include <KivThread.h>
#include <ORQLogging.h>

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

ClosingPleaseWaitDialog::ClosingPleaseWaitDialog(QWidget *parent)
    : ADialog(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);
    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(kCloseTimeoutMs);
    // Connected once: every later show only restarts the count.
    connect(&m_closeTimer, &QTimer::timeout, this, &ClosingPleaseWaitDialog::onCloseTimer,
            Qt::DirectConnection);
}

ClosingPleaseWaitDialog::~ClosingPleaseWaitDialog() = default;

void ClosingPleaseWaitDialog::setupForm()
{
    Form &f = *m_form;
    f.background =
        DialogStyles::setUpFixedBox(this, QStringLiteral("ClosingPleaseWaitDialog"), 426, 225);
    f.progressBar = DialogStyles::addBusyProgressBar(this, 105);

    f.pushButton = new QPushButton(this);
    f.pushButton->setObjectName(QStringLiteral("pushButton"));
    f.pushButton->setGeometry(90, 160, 231, 45);
    f.pushButton->setMinimumSize(197, 45);
    QFont buttonFont(QStringLiteral("Verdana"), 18);
    buttonFont.setWeight(QFont::Bold);
    f.pushButton->setFont(buttonFont);
    f.pushButton->setStyleSheet(DialogStyles::pushButtonSheet());
    f.pushButton->setText(tr("FORCE CLOSE"));

    f.alertTextLabel = new QLabel(this);
    f.alertTextLabel->setObjectName(QStringLiteral("alertTextLabel"));
    f.alertTextLabel->setGeometry(0, 20, 420, 54);
    f.alertTextLabel->setMinimumSize(340, 54);
    f.alertTextLabel->setMaximumSize(420, 54);
    f.alertTextLabel->setFont(QFont(QStringLiteral("Verdana"), 11));
    f.alertTextLabel->setStyleSheet(QStringLiteral("background-color:rgba(0,0,0,0)"));
    f.alertTextLabel->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    f.alertTextLabel->setWordWrap(true);
    f.alertTextLabel->setText(tr("Closing... please wait."));

    QMetaObject::connectSlotsByName(this);
}

int ClosingPleaseWaitDialog::connectSignals(QThread *systemControllerThread)
{
    const auto queuedOnce =
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection);
    if (systemControllerThread) {
        connect(systemControllerThread, &QThread::finished, this,
                &ClosingPleaseWaitDialog::onSystemControllerFinished, queuedOnce);
    } else {
        KIV_LOG(2, "ClosingPleaseWaitDialog: no system controller thread to watch\n");
    }
    connect(this, &ClosingPleaseWaitDialog::showEvent, this,
            &ClosingPleaseWaitDialog::onShowClosingPleaseWaitDialog, queuedOnce);
    connect(this, &ClosingPleaseWaitDialog::hideEvent, this,
            &ClosingPleaseWaitDialog::onHideClosingPleaseWaitDialog, queuedOnce);
    return 0;
}

void ClosingPleaseWaitDialog::requestShow()
{
    emit showEvent();
}

void ClosingPleaseWaitDialog::onShowClosingPleaseWaitDialog()
{
    showClosingDialog();
}

void ClosingPleaseWaitDialog::onHideClosingPleaseWaitDialog()
{
    hideClosingDialog();
}

void ClosingPleaseWaitDialog::showClosingDialog()
{
    if (!isVisible())
        WindowPlacement::placeOver(this, WindowPlacement::boxOwner(nullptr));
    show();
    if (QCoreApplication *app = QCoreApplication::instance())
        m_closeTimer.moveToThread(app->thread());
    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(kCloseTimeoutMs);
    m_closeTimer.start();
}

void ClosingPleaseWaitDialog::hideClosingDialog()
{
    m_closeTimer.stop();
    hide();
}

void ClosingPleaseWaitDialog::onSystemControllerFinished()
{
    hideClosingDialog();
    QCoreApplication::quit();
}

void ClosingPleaseWaitDialog::on_pushButton_clicked()
{
    terminateProcess(0);
}

void ClosingPleaseWaitDialog::onCloseTimer()
{
    terminateProcess(0);
}
