#pragma once

#include <QMetaType>

// The windows that GUIFactory builds. The numbers are fixed: controllers pass them as
// literals, and any other number builds nothing.
enum ViewType : int {
    kViewTypeSystem = 0,         // main window, ASystemView
    kViewTypeAg = 1,             // audiogroup window, AAgView
    kViewTypeAddInstrument = 2,  // add-device dialog, AAddInstrumentView
    kViewTypeConfirmation = 3,   // delete confirmation, AConfirmationView
    kViewTypeSettings = 4,       // settings dialog, ASettingsView
    kViewTypeGoToTime = 5,       // go-to-time dialog, AGoToTimeView
    kViewTypeGenerateReport = 6, // report and progress dialog, AGenerateReportView
    kViewTypeBackupManager = 7,  // backup manager, ABackupManagerView
    kViewTypeHijackRequest = 8,  // hijack request window, AHijackRequestView
};

constexpr int kViewTypeCount = 9;

inline bool isKnownViewType(int type)
{
    return type >= 0 && type < kViewTypeCount;
}

Q_DECLARE_METATYPE(ViewType)
