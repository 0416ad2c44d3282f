#include "CancelOKButtons.h"

#include "SettingsStyles.h"

#include <DialogStyles.h>

#include <QLabel>
#include <QPushButton>

CancelOKButtons::CancelOKButtons(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    connect(m_form->okButton, &QPushButton::clicked, this, &CancelOKButtons::okButtonClicked,
            Qt::DirectConnection);
    connect(m_form->cancelButton, &QPushButton::clicked, this,
            &CancelOKButtons::cancelButtonClicked, Qt::DirectConnection);
    setTabOrder(m_form->okButton, m_form->cancelButton);
}

CancelOKButtons::~CancelOKButtons() = default;

void CancelOKButtons::setupForm()
{
    setObjectName(QStringLiteral("CancelOKButtons"));
    setWindowTitle(QStringLiteral("Form"));
    resize(851, 85);
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("background-color:rgba(0,0,0,0)"));

    Form &f = *m_form;
    f.okButton = DialogStyles::addButton(this, QStringLiteral("okButton"), QRect(60, 12, 300, 45),
                                         DialogStyles::lightPushButtonSheet());
    f.okButton->setMaximumSize(300, 45);
    f.okButton->setText(tr("OK"));
    f.okLabel = SettingsStyles::addCaption(this, QStringLiteral("okLabel"),
                                           tr("confirm and save changes"));
    f.okLabel->setGeometry(60, 60, 300, 18);

    f.cancelButton = DialogStyles::addButton(this, QStringLiteral("cancelButton"),
                                             QRect(440, 12, 300, 45), DialogStyles::lightPushButtonSheet());
    f.cancelButton->setMaximumSize(300, 45);
    f.cancelButton->setText(tr("CANCEL"));
    f.cancelLabel =
        SettingsStyles::addCaption(this, QStringLiteral("cancelLabel"), tr("discard changes"));
    f.cancelLabel->setGeometry(440, 60, 300, 18);
}

QPushButton *CancelOKButtons::okButton() const
{
    return m_form->okButton;
}

QPushButton *CancelOKButtons::cancelButton() const
{
    return m_form->cancelButton;
}
