#include "AAddInstrumentView.h"

AAddInstrumentView::AAddInstrumentView(ViewType type, QWidget *parent) : AView(type, parent) {}

AAddInstrumentView::~AAddInstrumentView() = default;
