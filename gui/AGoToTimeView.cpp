#include "AGoToTimeView.h"

AGoToTimeView::AGoToTimeView(ViewType type, QWidget *parent) : AView(type, parent) {}

AGoToTimeView::~AGoToTimeView() = default;

void AGoToTimeView::showAndFocus()
{
    show();
}
