#include "ASettingsView.h"

ASettingsView::ASettingsView(ViewType type, QWidget *parent) : AView(type, parent) {}

ASettingsView::~ASettingsView() = default;
