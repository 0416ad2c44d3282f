#include "GoToTimeDialog.h"

#include "DialogKeys.h"
#include "DialogStyles.h"
#include "GUIFactory.h"
#include "WindowPlacement.h"

#include <QDateTime>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>

GoToTimeDialog::GoToTimeDialog(ViewType type, QWidget *parent)
    : AGoToTimeView(type, parent), m_form(std::make_unique<Form>())
{
    setupForm();
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);
    m_form->dateTimeEdit->setTimeSpec(Qt::UTC);
    // Whole seconds: the edit shows no milliseconds, so none may ride along unseen into the
    // moment it sends.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    m_form->dateTimeEdit->setDateTime(QDateTime::fromMSecsSinceEpoch(now - now % 1000, Qt::UTC));
}

GoToTimeDialog::~GoToTimeDialog() = default;

void GoToTimeDialog::setupForm()
{
    using namespace DialogStyles;
    setObjectName(QStringLiteral("GoToTimeDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(508, 290);
    setStyleSheet(
        QStringLiteral("background-color:white;selection-background-color:rgb(51,153,255);"));

    Form &f = *m_form;
    f.background = new QWidget(this);
    f.background->setObjectName(QStringLiteral("background"));
    f.background->setGeometry(0, 0, 520, 290);
    f.background->setStyleSheet(darkDialogBackgroundSheet());

    f.dateTimeEdit = new QDateTimeEdit(f.background);
    f.dateTimeEdit->setObjectName(QStringLiteral("dateTimeEdit"));
    f.dateTimeEdit->setGeometry(120, 100, 341, 30);
    f.dateTimeEdit->setFont(verdana(15));
    f.dateTimeEdit->setStyleSheet(
        QStringLiteral("QDateTimeEdit {\n     border: 2px solid gray;\n     background: white;\n"
                       "     selection-background-color: #808080 ;\n}\n"));
    f.dateTimeEdit->setDisplayFormat(QStringLiteral("yyyy.MM.dd h:mm:ss"));

    const QString white = QStringLiteral("color: #FFFFFF; background-color:rgba(0,0,0,0)");
    f.formatLabel = addLabel(f.background, QStringLiteral("iPStaticLabel_2"),
                             QRect(120, 132, 311, 30), 9, QFont::Normal, white);
    f.formatLabel->setFixedHeight(30);
    f.formatLabel->setText(tr("Format: YYYY.MM.DD  hh:mm:ss"));

    f.okButton = addButton(f.background, QStringLiteral("okButton"), QRect(38, 190, 197, 45),
                           plainPushButtonSheet());
    f.okButton->setFixedSize(197, 45);
    f.okButton->setDefault(true);
    f.okButton->setText(tr("OK"));
    f.cancelButton = addButton(f.background, QStringLiteral("cancelButton"),
                               QRect(270, 190, 197, 45), plainPushButtonSheet());
    f.cancelButton->setMaximumSize(197, 45);
    f.cancelButton->setFixedHeight(45);
    f.cancelButton->setAutoDefault(true);
    f.cancelButton->setText(tr("CANCEL"));

    f.timeLabel = addLabel(f.background, QStringLiteral("iPStaticLabel"), QRect(32, 100, 81, 30),
                           11, QFont::Normal, white);
    f.timeLabel->setFixedHeight(30);
    f.timeLabel->setText(tr("TIME"));

    f.titleLabel = addLabel(f.background, QStringLiteral("addDeviceStaticLabel"),
                            QRect(0, 30, 508, 41), 17, QFont::Bold,
                            QStringLiteral("color: #FFFFFF;background-color:rgba(0,0,0,0)"));
    f.titleLabel->setAlignment(Qt::AlignCenter);
    f.titleLabel->setText(tr("Go To Time"));

    QMetaObject::connectSlotsByName(this);
}

void GoToTimeDialog::showAndFocus()
{
    // Over the audiogroup window that asked, not where the window system would put it.
    if (!isVisible())
        WindowPlacement::placeOver(this, WindowPlacement::boxOwner(nullptr));
    show();
    m_form->dateTimeEdit->setFocus(Qt::OtherFocusReason);
}

void GoToTimeDialog::on_okButton_clicked()
{
    // The edit works in UTC, so the moment does not depend on the machine's time zone.
    emit GoToTime(m_form->dateTimeEdit->dateTime().toMSecsSinceEpoch());
}

void GoToTimeDialog::on_cancelButton_clicked()
{
    hide();
}

void GoToTimeDialog::keyPressEvent(QKeyEvent *event)
{
    AGoToTimeView::keyPressEvent(event);
    answerDialogKey(event, m_form->okButton, m_form->cancelButton);
}

void GoToTimeDialog::registerCreator()
{
    GUIFactory::getInstance()->registerViewCreator(
        kViewTypeGoToTime,
        [](ViewType type) -> AView * { return new GoToTimeDialog(type, nullptr); });
}
