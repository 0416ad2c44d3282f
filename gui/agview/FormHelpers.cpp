#include "FormHelpers.h"

#include <QGridLayout>
#include <QWidget>

QGridLayout *makeFormGrid(QWidget *owner, const char *name, QLayout::SizeConstraint constraint)
{
    auto *grid = new QGridLayout(owner);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSizeConstraint(constraint);
    return grid;
}

QSizePolicy minimumExpanding(int stretch)
{
    QSizePolicy policy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    policy.setHorizontalStretch(stretch);
    policy.setVerticalStretch(stretch);
    return policy;
}
