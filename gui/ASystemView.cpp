#include "ASystemView.h"

ASystemView::ASystemView(ViewType type, QWidget *parent) : AView(type, parent) {}

ASystemView::~ASystemView() = default;
