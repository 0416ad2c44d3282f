#include "KIVAlertBox.h"

#include "DialogStyles.h"
#include "WindowPlacement.h"
#include "WrappingLabel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>

KIVAlertBox::KIVAlertBox(QWidget *parent) : ADialog(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);
    m_form->alertDismissButton->setText(tr("OK"));
    // OK is the box's only answer: it holds the keyboard from the moment the box is active.
    m_form->alertDismissButton->setDefault(true);
    m_form->alertDismissButton->setFocus();
}

KIVAlertBox::~KIVAlertBox() = default;

void KIVAlertBox::setupForm()
{
    setObjectName(QStringLiteral("KIVAlertBox"));
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowModality(Qt::ApplicationModal);
    resize(428, 168);
    setMinimumHeight(150);
    setFixedWidth(428);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    setStyleSheet(DialogStyles::greyGradientSheet());

    Form &f = *m_form;
    f.horizontalLayout = new QHBoxLayout(this);
    f.horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    f.horizontalLayout->setSpacing(0);
    f.horizontalLayout->setContentsMargins(0, 0, 0, 2);

    f.background = new QWidget(this);
    f.background->setObjectName(QStringLiteral("background"));
    f.background->setFixedWidth(428);
    f.background->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    f.horizontalLayout->addWidget(f.background);

    f.gridLayout = new QGridLayout(f.background);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setHorizontalSpacing(5);
    f.gridLayout->setVerticalSpacing(0);
    f.gridLayout->setContentsMargins(9, 20, 12, 11);

    f.alertIconlabel = new QLabel(f.background);
    f.alertIconlabel->setObjectName(QStringLiteral("alertIconlabel"));
    f.alertIconlabel->setFixedSize(84, 48);
    f.alertIconlabel->setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));
    f.alertIconlabel->setPixmap(
        QPixmap(QStringLiteral(":/dialog/dialog/IconMessageboxAlertYellow.png")));
    f.alertIconlabel->setAlignment(Qt::AlignCenter);
    f.gridLayout->addWidget(f.alertIconlabel, 0, 0);

    // A long path wraps inside itself rather than being cut.
    f.alertTextLabel = new WrappingLabel(f.background);
    f.alertTextLabel->setObjectName(QStringLiteral("alertTextLabel"));
    f.alertTextLabel->setFixedWidth(320);
    f.alertTextLabel->setFont(QFont(QStringLiteral("Verdana"), 11));
    f.alertTextLabel->setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));
    f.alertTextLabel->setWordWrap(true);
    f.gridLayout->addWidget(f.alertTextLabel, 0, 1, 1, 3);

    f.gridLayout->addItem(new QSpacerItem(20, 29, QSizePolicy::Minimum, QSizePolicy::Fixed), 1, 2);
    f.gridLayout->addItem(new QSpacerItem(155, 20, QSizePolicy::Fixed, QSizePolicy::Minimum), 2, 0,
                          1, 2);

    f.alertDismissButton = new QPushButton(f.background);
    f.alertDismissButton->setObjectName(QStringLiteral("alertDismissButton"));
    f.alertDismissButton->setFixedSize(99, 36);
    QFont buttonFont(QStringLiteral("Verdana"), 13);
    buttonFont.setWeight(QFont::Bold);
    f.alertDismissButton->setFont(buttonFont);
    f.alertDismissButton->setStyleSheet(DialogStyles::pushButtonSheet());
    f.gridLayout->addWidget(f.alertDismissButton, 2, 2);

    f.gridLayout->addItem(new QSpacerItem(155, 20, QSizePolicy::Fixed, QSizePolicy::Minimum), 2, 3);

    QMetaObject::connectSlotsByName(this);
}

int KIVAlertBox::setText(const QString &text)
{
    if (text.isEmpty())
        return -1;
    m_form->alertTextLabel->setText(text);
    return 0;
}

int KIVAlertBox::setButtonText(const QString &text)
{
    if (text.isEmpty())
        return -1;
    m_form->alertDismissButton->setText(text);
    return 0;
}

void KIVAlertBox::showOver(QWidget *owner)
{
    WindowPlacement::placeOver(this, owner);
    show();
    raise();
    activateWindow();
    m_form->alertDismissButton->setFocus();
}

void KIVAlertBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        m_form->alertDismissButton->click();
        return;
    }
    ADialog::keyPressEvent(event);
}

void KIVAlertBox::on_alertDismissButton_clicked()
{
    close();
    emit onClose(this);
}
