#pragma once

// The system controller's command types, one for each posting operation of ASystem, with the
// numbers the command table has always used. 7 and 8 are not used; the controller logs them,
// and every number outside the table, as unknown.
namespace SystemCommand {

enum Type : int {
    InstrumentReply = 0,
    ChangeInstrumentConfig = 1,
    AddDeviceReply = 2,
    StartAddInstrument = 3,
    SubmitAddInstrument = 4,
    CancelAddInstrument = 5,
    RemoveAudiogroups = 6,
    OpenSettings = 9,
    CancelSettings = 10,
    SaveSettings = 11,
    ConfirmDeleteAudiogroups = 12,
    CancelDeleteAudiogroups = 13,
    StartManualAcquisition = 14,
    StopManualAcquisition = 15,
    StartAutoAcquisition = 16,
    StopAutoAcquisition = 17,
    EnableAgLogging = 18,
    DisableAgLogging = 19,
    RequestStatusRefresh = 20,
    UpdateAcquisitionStatus = 21,
    UpdateAgViolationStatus = 22,
    ResetAgViolationStatus = 23,
    ResetAgAcquisitionStatus = 24,
    StartAcquisition = 25,
    StartGenerateManualReport = 26,
    ManualReportFinished = 27,
    RequestDbImport = 28,
    CancelDbImport = 29,
    ReplyDbImportStatus = 30,
    RequestHijackPermission = 31,
    AllowHijack = 32,
    DenyHijack = 33,
};

constexpr bool isKnown(int type)
{
    return type >= InstrumentReply && type <= DenyHijack && type != 7 && type != 8;
}

} // namespace SystemCommand
