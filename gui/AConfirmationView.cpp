#include "AConfirmationView.h"

AConfirmationView::AConfirmationView(ViewType type, QWidget *parent) : AView(type, parent) {}

AConfirmationView::~AConfirmationView() = default;
