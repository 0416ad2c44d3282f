#include "UserInput.h"

#include <QCheckBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

namespace UserInput {

void clickCentre(QWidget *widget, Qt::KeyboardModifiers modifiers)
{
    QTest::mouseClick(widget, Qt::LeftButton, modifiers, widget->rect().center());
}

void clickCheckBox(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect area = box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, area.center());
}

} // namespace UserInput
