#include "AGenerateReportView.h"

AGenerateReportView::AGenerateReportView(ViewType type, QWidget *parent) : AView(type, parent) {}

AGenerateReportView::~AGenerateReportView() = default;
