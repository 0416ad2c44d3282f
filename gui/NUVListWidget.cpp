#include "NUVListWidget.h"

#include "ScrollBarStyles.h"

#include <QGridLayout>
#include <QListWidget>
#include <QScrollBar>

NUVListWidget::NUVListWidget(QWidget *parent) : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    m_form->listWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    applyColoredVerticalScrollBarStyle(m_form->listWidget->verticalScrollBar(),
                                       QStringLiteral("464646"));
}

NUVListWidget::~NUVListWidget() = default;

QListWidget *NUVListWidget::getListWidget() const
{
    return m_form->listWidget;
}

const QString &NUVListWidget::listStyleSheet()
{
    static const QString sheet = QStringLiteral(
        "QListWidget {color: white;background-color: #707070;"
        "alternate-background-color: #656565;border: none;show-decoration-selected: 1;"
        "outline: 0;}"
        "QListWidget::item {border-top: 1px solid #464646;border-left: none;"
        "border-right: none;border-bottom: none;}"
        "QListWidget::item:hover {background: transparent;}"
        "QListWidget::item:selected, QListWidget::item:selected:hover "
        "{background: #898989;color: white;border-top: 1px solid #464646;}"
        "QListWidget::item:focus {border-top: 1px solid #464646;outline: none;}");
    return sheet;
}

void NUVListWidget::setupForm()
{
    setObjectName(QStringLiteral("NUVListWidget"));
    setWindowTitle(QStringLiteral("Form"));
    resize(229, 389);

    Form &f = *m_form;
    f.gridLayout = new QGridLayout(this);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setSpacing(0);
    f.gridLayout->setContentsMargins(0, 0, 0, 0);

    f.listWidget = new QListWidget(this);
    f.listWidget->setObjectName(QStringLiteral("listWidget"));
    f.listWidget->setAutoScroll(false);
    f.listWidget->setAlternatingRowColors(true);
    f.listWidget->setWordWrap(false);
    f.listWidget->setStyleSheet(listStyleSheet());
    f.gridLayout->addWidget(f.listWidget, 0, 0);
}
