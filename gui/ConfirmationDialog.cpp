#include "ConfirmationDialog.h"

#include "DialogKeys.h"
#include "DialogStyles.h"
#include "GUIFactory.h"
#include "TextRoom.h"

#include <QLabel>
#include <QPushButton>

ConfirmationDialog::ConfirmationDialog(ViewType type, QWidget *parent)
    : AConfirmationView(type, parent), m_form(std::make_unique<Form>())
{
    setupForm();
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);
    setOpensOverOwner();
    TextRoom::growWindow(m_form->background);
    connect(m_form->okButton, &QPushButton::clicked, this, &AConfirmationView::OkButtonClick,
            Qt::DirectConnection);
    connect(m_form->cancelButton, &QPushButton::clicked, this,
            &AConfirmationView::CancelButtonClick, Qt::DirectConnection);
}

ConfirmationDialog::~ConfirmationDialog() = default;

void ConfirmationDialog::setupForm()
{
    using namespace DialogStyles;
    setObjectName(QStringLiteral("DeleteAudiogroupDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    resize(426, 150);
    setMinimumSize(426, 150);
    setMaximumSize(508, 380);

    Form &f = *m_form;
    f.background = new QWidget(this);
    f.background->setObjectName(QStringLiteral("background"));
    f.background->setGeometry(0, 0, 426, 150);
    f.background->setStyleSheet(darkDialogBackgroundSheet());

    f.confirmationMessage =
        addLabel(f.background, QStringLiteral("confirmationMessage"), QRect(42, 14, 340, 54), 11,
                 QFont::Normal, QStringLiteral("background-color:rgba(0,0,0,0)"));
    f.confirmationMessage->setFixedSize(340, 54);
    f.confirmationMessage->setWordWrap(true);

    f.okButton = addButton(f.background, QStringLiteral("okButton"), QRect(40, 94, 150, 45),
                           plainPushButtonSheet());
    f.okButton->setText(tr("OK"));
    f.cancelButton = addButton(f.background, QStringLiteral("cancelButton"),
                               QRect(240, 94, 150, 45), plainPushButtonSheet());
    f.cancelButton->setText(tr("CANCEL"));
}

void ConfirmationDialog::onShow()
{
    if (isVisible())
        return;
    AConfirmationView::onShow();
}

void ConfirmationDialog::onShowPleaseWaitDialog(const QString &text)
{
    m_pleaseWait.setText(text);
    m_pleaseWait.show();
}

void ConfirmationDialog::onHidePleaseWaitDialog()
{
    m_pleaseWait.hide();
}

void ConfirmationDialog::onSetTextContent(const QString &message, const QString &okText,
                                          const QString &cancelText)
{
    m_form->confirmationMessage->setText(message);
    m_form->okButton->setText(okText);
    m_form->cancelButton->setText(cancelText);
}

void ConfirmationDialog::keyPressEvent(QKeyEvent *event)
{
    AConfirmationView::keyPressEvent(event);
    answerDialogKey(event, nullptr, m_form->cancelButton);
}

void ConfirmationDialog::registerCreator()
{
    GUIFactory::getInstance()->registerViewCreator(
        kViewTypeConfirmation,
        [](ViewType type) -> AView * { return new ConfirmationDialog(type, nullptr); });
}
