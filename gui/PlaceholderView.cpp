#include "PlaceholderView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

struct Entry
{
    const char *className;
    const char *description;
    bool dialog;
};

const Entry kEntries[kViewTypeCount] = {
    {"QTSystemView", "Main window", false},        {"QTAgView", "Audiogroup window", false},
    {"AddInstrumentDialog", "Add device", true},   {"ConfirmationDialog", "Confirmation", true},
    {"SettingsDialog", "Settings", true},          {"GoToTimeDialog", "Go to time", true},
    {"GenerateReportDialog", "Report", true},      {"BackupManagerView", "Backup Manager", false},
    {"HijackRequestView", "Hijack request", true},
};

} // namespace

PlaceholderView::PlaceholderView(ViewType type, QWidget *parent) : AView(type, parent)
{
    setObjectName(QStringLiteral("PlaceholderView"));
    if (isKnownViewType(type) && kEntries[type].dialog)
        setWindowFlags(Qt::Dialog);
    setWindowTitle(QStringLiteral("KIV - %1").arg(description(type)));
    setStyleSheet(QStringLiteral("background-color: rgb(70,70,70); color: white;"));
    auto *label = new QLabel(QStringLiteral("%1 (%2) is not available in this build.")
                                 .arg(description(type), className(type)),
                             this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    resize(426, 150);
}

QString PlaceholderView::className(ViewType type)
{
    return isKnownViewType(type) ? QString::fromLatin1(kEntries[type].className) : QString();
}

QString PlaceholderView::description(ViewType type)
{
    return isKnownViewType(type) ? QString::fromLatin1(kEntries[type].description) : QString();
}
