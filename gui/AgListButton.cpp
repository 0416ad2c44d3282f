#include "AgListButton.h"

#include "AgListStyles.h"

#include <QGridLayout>
#include <QLabel>
#include <QSpacerItem>

AgListButton::AgListButton(QWidget *parent) : QPushButton(parent), m_form(std::make_unique<Form>())
{
    setupForm();
}

AgListButton::~AgListButton() = default;

void AgListButton::setupForm()
{
    setObjectName(QStringLiteral("AgListButton"));
    resize(227, 60);
    setMinimumWidth(227);
    setStyleSheet(AgListStyles::toolTipSheet());

    Form &f = *m_form;
    f.gridLayout = new QGridLayout(this);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setSpacing(0);
    f.gridLayout->setContentsMargins(0, 0, 0, 0);
    f.gridLayout->addItem(new QSpacerItem(5, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), 0, 0);

    f.mainBackground = new QWidget(this);
    f.mainBackground->setObjectName(QStringLiteral("mainBackground"));
    f.mainBackground->setMinimumSize(217, 50);
    f.mainBackground->setStyleSheet(QStringLiteral(
        "#mainBackground {background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, "
        "stop:0 rgba(142, 142, 142, 255), stop:1 rgba(93, 93, 93, 255)); border-radius: 4px; "
        "color: rgba(255, 255, 255, 255); font: 24px; border: 1px solid #414141;}"));
    f.gridLayout_2 = new QGridLayout(f.mainBackground);
    f.gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    f.gridLayout_2->setSpacing(0);
    f.gridLayout_2->setContentsMargins(0, 0, 0, 0);
    f.label = new QLabel(f.mainBackground);
    f.label->setObjectName(QStringLiteral("label"));
    f.label->setMinimumSize(217, 50);
    f.label->setAlignment(Qt::AlignCenter);
    f.label->setStyleSheet(
        QStringLiteral("QLabel {font: 24px; color: rgba(255, 255, 255, 255); "
                       "background-color: rgba(0, 0, 0, 0); border: none;}\n") +
        AgListStyles::toolTipSheet());
    f.gridLayout_2->addWidget(f.label, 0, 0);
    f.gridLayout->addWidget(f.mainBackground, 0, 1);

    // A light veil over the face, in the same cell.
    f.shadow = new QWidget(this);
    f.shadow->setObjectName(QStringLiteral("shadow"));
    f.shadow->setMinimumSize(217, 51);
    f.shadow->setStyleSheet(
        QStringLiteral("background-color: rgba(255, 255, 255, 38);\nborder-radius: 4px;"));
    f.gridLayout->addWidget(f.shadow, 0, 1);
    f.gridLayout->addItem(new QSpacerItem(5, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), 0, 2);

    // A press anywhere on the face belongs to the button.
    for (QWidget *child : {f.mainBackground, static_cast<QWidget *>(f.label), f.shadow})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void AgListButton::setLabelText(const QString &name)
{
    setToolTip(name);
    m_form->label->setText(name);
    elideText();
}

QString AgListButton::labelText() const
{
    return m_form->label->text();
}

void AgListButton::elideText()
{
    QLabel *label = m_form->label;
    label->setText(label->fontMetrics().elidedText(label->text(), Qt::ElideRight,
                                                   label->width() - 50));
    // Setting a sheet polishes the button again even when it is the same: twice a second
    // for every row.
    if (styleSheet() != AgListStyles::toolTipSheet())
        setStyleSheet(AgListStyles::toolTipSheet());
}

void AgListButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    elideText();
}
