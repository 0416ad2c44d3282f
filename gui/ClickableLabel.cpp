#include "ClickableLabel.h"

ClickableLabel::ClickableLabel(QWidget *parent) : QLabel(parent) {}

ClickableLabel::~ClickableLabel() = default;

void ClickableLabel::mouseReleaseEvent(QMouseEvent *)
{
    emit onClick();
}
