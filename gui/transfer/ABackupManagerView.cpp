#include "ABackupManagerView.h"

ABackupManagerView::ABackupManagerView(ViewType type, QWidget *parent) : AView(type, parent) {}

ABackupManagerView::~ABackupManagerView() = default;
