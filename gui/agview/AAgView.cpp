#include "AAgView.h"

AAgView::AAgView(ViewType type, QWidget *parent) : AView(type, parent) {}

AAgView::~AAgView() = default;
