#include "TableViewVerticalScrollBar.h"

#include "FormHelpers.h"

#include <ScrollBarStyles.h>

#include <QGridLayout>
#include <QPushButton>
#include <QSpacerItem>

namespace {

QPushButton *makePageButton(QWidget *parent, const char *name)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    // Invisible: the scroll bar's own arrows show through. Without "border: none" the
    // platform style draws its dark button frame over them.
    button->setStyleSheet(QStringLiteral(
        "background-color: rgba(0,0,0,0);\ncolor: rgba(0,0,0,0);\nborder-width: 0px;"
        "border: none;"));
    button->setAutoRepeat(true);
    button->setText(QStringLiteral("PushButton"));
    return button;
}

} // namespace

struct TableViewVerticalScrollBar::Form
{
    QGridLayout *gridLayout = nullptr;
    QPushButton *upButton = nullptr;
    QPushButton *downButton = nullptr;
};

TableViewVerticalScrollBar::TableViewVerticalScrollBar(QWidget *parent)
    : NUVPlotScrollbar(parent), m_form(std::make_unique<Form>())
{
    Form &f = *m_form;
    setObjectName(QStringLiteral("TableViewVerticalScrollBar"));
    resize(34, 595);
    f.gridLayout = makeFormGrid(this, "gridLayout", QLayout::SetDefaultConstraint);
    f.upButton = makePageButton(this, "upButton");
    f.gridLayout->addWidget(f.upButton, 0, 0);
    f.gridLayout->addItem(new QSpacerItem(20, 516, QSizePolicy::Minimum, QSizePolicy::Expanding),
                          1, 0);
    f.downButton = makePageButton(this, "downButton");
    f.gridLayout->addWidget(f.downButton, 2, 0);
    setWindowTitle(QStringLiteral("Form"));
    QMetaObject::connectSlotsByName(this);

    setOrientation(Qt::Vertical);
    setInvertedControls(true);
    applyVerticalScrollBarStyle(this);
}

TableViewVerticalScrollBar::~TableViewVerticalScrollBar() = default;

void TableViewVerticalScrollBar::setPosition(qint64 position)
{
    setValue64(maximum64() - position);
}

void TableViewVerticalScrollBar::onActionTriggered(int)
{
    setValue64(sliderValue64());
    emit pageControlScrollbarValueChanged(position());
}

void TableViewVerticalScrollBar::on_upButton_pressed()
{
    const qint64 target = qMin(position() + pageStep64(), maximum64());
    setValue64(maximum64() - target);
    onActionTriggered(QAbstractSlider::SliderPageStepAdd);
}

void TableViewVerticalScrollBar::on_downButton_pressed()
{
    const qint64 target = qMax(position() - pageStep64(), minimum64());
    setValue64(maximum64() - target);
    onActionTriggered(QAbstractSlider::SliderPageStepSub);
}

void TableViewVerticalScrollBar::wheelEvent(QWheelEvent *event)
{
    QAbstractSlider::wheelEvent(event);
}
