#include "PlotValueSelectionCheckbox.h"

#include "FormHelpers.h"

#include <KivUtils.h>

#include <QGridLayout>
#include <QLabel>

struct PlotValueSelectionCheckbox::Form
{
    NUVCustomButton::Faces faces;
    QLabel *label = nullptr;
    QWidget *plotIndicator = nullptr;
    QLabel *indicator = nullptr;
    QLabel *shadow = nullptr;
};

PlotValueSelectionCheckbox::PlotValueSelectionCheckbox(QWidget *parent)
    : QPushButton(parent), m_form(std::make_unique<Form>())
{
    setObjectName(QStringLiteral("PlotValueSelectionCheckbox"));
    resize(46, 47);
    setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));

    Form &f = *m_form;
    f.faces = NUVCustomButton::makeFaceLayers(this, true);
    f.label = NUVCustomButton::makeCentredLabel(f.faces.labelWrapper);
    f.label->setStyleSheet(
        QStringLiteral("font: 10px;\ncolor: rgba(255, 255, 255, 255);\ntext-align: center;"));

    // The colour strip lies over the faces, near the top edge.
    f.plotIndicator = new QWidget(this);
    f.plotIndicator->setObjectName(QStringLiteral("plotIndicator"));
    f.plotIndicator->setGeometry(6, 5, 36, 5);
    f.plotIndicator->setFixedSize(36, 5);
    f.plotIndicator->setAttribute(Qt::WA_TransparentForMouseEvents);
    QGridLayout *grid = makeFormGrid(f.plotIndicator, "gridLayout2", QLayout::SetDefaultConstraint);
    f.indicator = new QLabel(f.plotIndicator);
    f.indicator->setObjectName(QStringLiteral("indicator"));
    f.indicator->setFixedSize(36, 4);
    f.indicator->setStyleSheet(QStringLiteral("background-color: #FF00FF;"));
    grid->addWidget(f.indicator, 0, 0);
    f.shadow = new QLabel(f.plotIndicator);
    f.shadow->setObjectName(QStringLiteral("shadow"));
    f.shadow->setMinimumSize(36, 5);
    f.shadow->setStyleSheet(
        QStringLiteral("background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, "
                       "stop:0 rgba(0,0,0,0), stop:1 rgba(0,0,0,51));"));
    grid->addWidget(f.shadow, 0, 0);

    setWindowTitle(QStringLiteral("SimpleCheckboxButton"));
    f.label->setText(QStringLiteral("12"));
    f.indicator->setText(QString());
    f.shadow->setText(QString());

    updateLook();
    connect(this, &QPushButton::clicked, this, &PlotValueSelectionCheckbox::onClick);
}

PlotValueSelectionCheckbox::~PlotValueSelectionCheckbox() = default;

void PlotValueSelectionCheckbox::setSelected(bool selected)
{
    // Called at every refresh of the window: a style sheet set again re-polishes.
    if (selected == m_selected)
        return;
    m_selected = selected;
    updateLook();
}

void PlotValueSelectionCheckbox::setText(const QString &text)
{
    m_form->label->setText(text);
    updateLook();
}

QString PlotValueSelectionCheckbox::text() const
{
    return m_form->label->text();
}

void PlotValueSelectionCheckbox::setPlotValue(PlotValue value)
{
    m_plotValue = value;
    updateLook();
}

void PlotValueSelectionCheckbox::onClick()
{
    emit onCheck(!m_selected, PlotValue(m_plotValue));
}

void PlotValueSelectionCheckbox::updateLook()
{
    NUVCustomButton::showFacesChecked(m_form->faces, m_selected);
    if (m_plotValue == 0) {
        hide();
        return;
    }
    show();
    const QColor colour = plotValueColor(m_plotValue);
    m_form->indicator->setStyleSheet(QStringLiteral("background-color: rgba(%1, %2, %3, 255);")
                                         .arg(colour.red())
                                         .arg(colour.green())
                                         .arg(colour.blue()));
}

void PlotValueSelectionCheckbox::focusInEvent(QFocusEvent *)
{
    NUVCustomButton::setBordersOfFaces(m_form->faces, NUVCustomButton::focusBorderColour(), false);
}

void PlotValueSelectionCheckbox::focusOutEvent(QFocusEvent *)
{
    NUVCustomButton::setBordersOfFaces(m_form->faces, NUVCustomButton::plainBorderColour(), false);
}
