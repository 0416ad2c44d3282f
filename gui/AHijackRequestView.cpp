#include "AHijackRequestView.h"

AHijackRequestView::AHijackRequestView(ViewType type, QWidget *parent) : AView(type, parent) {}

AHijackRequestView::~AHijackRequestView() = default;
