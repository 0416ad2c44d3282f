#include "AddInstrumentDialog.h"

#include "DialogKeys.h"
#include "DialogStyles.h"
#include "GUIFactory.h"
#include "TextRoom.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const char *const kLineEditSheet =
    "background-color:white;selection-background-color:rgb(51,153,255);";

QLineEdit *addLineEdit(QWidget *parent, const QString &objectName, const QRect &geometry)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setGeometry(geometry);
    edit->setFixedSize(geometry.size());
    edit->setFont(DialogStyles::verdana(11));
    edit->setStyleSheet(QString::fromLatin1(kLineEditSheet));
    return edit;
}

} // namespace

AddInstrumentDialog::AddInstrumentDialog(ViewType type, QWidget *parent)
    : AAddInstrumentView(type, parent), m_form(std::make_unique<Form>())
{
    setupForm();
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);
    setOpensOverOwner();

    Form &f = *m_form;
    f.addDeviceStaticLabel->setText(tr("ADD NEW DEVICE"));
    f.iPStaticLabel->setText(tr("IP"));
    f.pwdStaticLabel->setText(tr("PASSWORD"));
    f.okButton->setText(tr("OK"));
    f.cancelButton->setText(tr("CANCEL"));
    f.confirmAndSaveLabel->setText(tr("confirm and save changes"));
    f.discardChanges->setText(tr("discard changes"));
    f.iPLineEdit->clear();
    f.pWDLineEdit->clear();
    TextRoom::growWindow(f.background);

    // Return in the password field is not wired to OK as well: the line edit passes the key
    // on to keyPressEvent, which would post the request a second time.
    connect(f.okButton, &QPushButton::clicked, this, &AddInstrumentDialog::onOkButtonClicked,
            Qt::DirectConnection);
    connect(f.cancelButton, &QPushButton::clicked, this, &AAddInstrumentView::CancelButtonClick,
            Qt::DirectConnection);
}

AddInstrumentDialog::~AddInstrumentDialog() = default;

void AddInstrumentDialog::setupForm()
{
    using namespace DialogStyles;
    setObjectName(QStringLiteral("AddInstrumentDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    setFixedSize(508, 380);

    Form &f = *m_form;
    f.background = new QWidget(this);
    f.background->setObjectName(QStringLiteral("background"));
    f.background->setGeometry(0, 0, 508, 380);
    f.background->setStyleSheet(darkDialogBackgroundSheet());

    const QString white = QStringLiteral("color: #FFFFFF; background-color:rgba(0,0,0,0)");
    const QString grey = QStringLiteral("color:#B7B7B7;background-color:rgba(0,0,0,0)");
    f.addDeviceStaticLabel =
        addLabel(f.background, QStringLiteral("addDeviceStaticLabel"), QRect(0, 30, 508, 41), 17,
                 QFont::Bold, QStringLiteral("color: #FFFFFF;background-color:rgba(0,0,0,0)"));
    f.addDeviceStaticLabel->setAlignment(Qt::AlignCenter);
    f.iPStaticLabel = addLabel(f.background, QStringLiteral("iPStaticLabel"),
                               QRect(32, 108, 101, 30), 11, QFont::Normal, white);
    f.iPLineEdit = addLineEdit(f.background, QStringLiteral("iPLineEdit"), QRect(133, 108, 337, 30));
    f.pwdStaticLabel =
        addLabel(f.background, QStringLiteral("pwdStaticLabel"), QRect(32, 174, 101, 30), 11,
                 QFont::Normal, QStringLiteral("color:#FFFFFF;background-color:rgba(0,0,0,0)"));
    f.pWDLineEdit =
        addLineEdit(f.background, QStringLiteral("pWDLineEdit"), QRect(133, 174, 337, 30));
    f.pWDLineEdit->setEchoMode(QLineEdit::Password);

    f.okButton = addButton(f.background, QStringLiteral("okButton"), QRect(38, 246, 197, 45),
                           pushButtonSheet());
    f.okButton->setFixedSize(197, 45);
    f.cancelButton = addButton(f.background, QStringLiteral("cancelButton"),
                               QRect(270, 246, 197, 45), pushButtonSheet());

    f.confirmAndSaveLabel = addLabel(f.background, QStringLiteral("confirmAndSaveLabel"),
                                     QRect(40, 294, 191, 20), 9, QFont::Normal, grey);
    f.confirmAndSaveLabel->setAlignment(Qt::AlignCenter);
    f.discardChanges = addLabel(
        f.background, QStringLiteral("discardChanges"), QRect(273, 294, 191, 20), 9, QFont::Normal,
        QStringLiteral("color: #B7B7B7;background-color:rgba(0,0,0,0); border-radius:4px"));
    f.discardChanges->setAlignment(Qt::AlignCenter);

    setTabOrder(f.iPLineEdit, f.pWDLineEdit);
    setTabOrder(f.pWDLineEdit, f.okButton);
    setTabOrder(f.okButton, f.cancelButton);
}

void AddInstrumentDialog::onOkButtonClicked()
{
    emit OkButtonClick(m_form->iPLineEdit->text(), m_form->pWDLineEdit->text());
}

void AddInstrumentDialog::keyPressEvent(QKeyEvent *event)
{
    AAddInstrumentView::keyPressEvent(event);
    answerDialogKey(event, m_form->okButton, m_form->cancelButton);
}

void AddInstrumentDialog::onShow()
{
    if (isVisible())
        return;
    AAddInstrumentView::onShow();
    m_form->iPLineEdit->setFocus(Qt::OtherFocusReason);
}

void AddInstrumentDialog::onHide()
{
    hide();
}

void AddInstrumentDialog::onShowPleaseWaitDialog(const QString &text)
{
    m_pleaseWait.setText(text);
    m_pleaseWait.show();
}

void AddInstrumentDialog::onHidePleaseWaitDialog()
{
    m_pleaseWait.hide();
}

void AddInstrumentDialog::registerCreator()
{
    GUIFactory::getInstance()->registerViewCreator(
        kViewTypeAddInstrument,
        [](ViewType type) -> AView * { return new AddInstrumentDialog(type, nullptr); });
}
