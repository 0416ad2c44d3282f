#include "TabBarSelector.h"

#include "FormHelpers.h"

#include <QGridLayout>
#include <QRadioButton>

namespace {

// The checked tab is dark grey and joined to the page above; the other is lighter. The
// radio indicators are hidden.
const char *const kTabSheet =
    "QRadioButton\n{\n  \tfont: bold 15px;\n\tcolor: #FFFFFF;\n\ttext-align: right;\n}\n\n "
    "QRadioButton::indicator {\n     width: 0px;\n     height: 0px;\n\n }\n\nQRadioButton:checked\n"
    "{\nbackground-color:  rgb(75,75,75);\n     font: bold 15px #FFFFFF;\n\t  border-left-width: "
    "0px;\n     border-left-color: black;\n\t border-bottom-left-radius: 6px;\n\n\t"
    "border-right-color:black;\n\t border-bottom-right-radius: 6px;\n     border-left-style: "
    "solid; /* just a single line */\n\n}\nQRadioButton:unchecked\n{\nbackground-color: "
    "#888888;\n  font: bold 15px dark gray;\n     border-left-color: black;\n\t "
    "border-bottom-left-radius: 6px;\n\tborder-right-width:2px;\n\tborder-right-color:black;\n  "
    "   border-left-style: solid; /* just a single line */\n   \n}\n";

QRadioButton *makeTab(QWidget *parent, const char *name)
{
    auto *tab = new QRadioButton(parent);
    tab->setObjectName(QLatin1String(name));
    tab->setMinimumHeight(27);
    tab->setStyleSheet(QLatin1String(kTabSheet));
    return tab;
}

} // namespace

struct TabBarSelector::Form
{
    QGridLayout *gridLayout = nullptr;
    QRadioButton *plotButtonSection = nullptr;
    QRadioButton *tableViewButtonSection = nullptr;
};

TabBarSelector::TabBarSelector(QWidget *parent) : QWidget(parent), m_form(std::make_unique<Form>())
{
    Form &f = *m_form;
    setObjectName(QStringLiteral("TabBarSelector"));
    resize(1024, 37);
    setStyleSheet(QStringLiteral("background-color:rgba(0,0,0,0);"));
    f.gridLayout = makeFormGrid(this, "gridLayout", QLayout::SetDefaultConstraint);
    f.gridLayout->setContentsMargins(0, 10, 0, 0);
    f.plotButtonSection = makeTab(this, "plotButtonSection");
    f.gridLayout->addWidget(f.plotButtonSection, 0, 0);
    f.tableViewButtonSection = makeTab(this, "tableViewButtonSection");
    f.gridLayout->addWidget(f.tableViewButtonSection, 0, 1);
    setWindowTitle(QStringLiteral("Form"));
    f.plotButtonSection->setText(QStringLiteral("RadioButton"));
    f.tableViewButtonSection->setText(QStringLiteral("RadioButton"));
    QMetaObject::connectSlotsByName(this);

    f.plotButtonSection->setChecked(true);
    f.tableViewButtonSection->setChecked(false);
    f.tableViewButtonSection->setText(tr("TABLE VIEW"));
    f.plotButtonSection->setText(tr("GRAPHICAL VIEW"));
}

TabBarSelector::~TabBarSelector() = default;

QRadioButton *TabBarSelector::plotButton() const
{
    return m_form->plotButtonSection;
}

QRadioButton *TabBarSelector::tableViewButton() const
{
    return m_form->tableViewButtonSection;
}

void TabBarSelector::on_plotButtonSection_toggled(bool checked)
{
    if (checked)
        emit plotViewSelectedSignal();
}

void TabBarSelector::on_tableViewButtonSection_toggled(bool checked)
{
    if (checked)
        emit tableViewSelectedSignal();
}

void TabBarSelector::selectPlotView()
{
    if (!m_form->plotButtonSection->isChecked())
        m_form->plotButtonSection->click();
}

void TabBarSelector::selectTableView()
{
    if (!m_form->tableViewButtonSection->isChecked())
        m_form->tableViewButtonSection->click();
}
