// The system controller's commands that queue configuration operations or answer them,
// and the report, import and hijack hand-offs.
#include "SystemController.h"

#include "HijackPermissionCommandParameter.h"
#include "ReplyHijackPermissionCommandParameter.h"

#include <ASystem.h>
#include <AcquisitionStartCommandParameter.h>
#include <AddInstrumentCommandParameter.h>
#include <AgLoggingChangeParameter.h>
#include <Command.h>
#include <ConfigChangeCommandParameter.h>
#include <DBImportCancelCommandParameter.h>
#include <DBImportRequestCommandParameter.h>
#include <DBImportStatusReplyCommandParameter.h>
#include <DeviceNetworkInterfaceReply.h>
#include <GenerateManualReportFinishCommandParameter.h>
#include <GenerateReportViewController.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <RemoveAudiogroupCommandParameter.h>
#include <StartGenerateManualReportCommandParameter.h>
#include <SystemCommand.h>

namespace {

void showAlert(const QString &text)
{
    if (ASystem *system = ASystem::instance())
        system->showAlert(text);
}

GenerateReportViewController *reportController()
{
    ASystem *system = ASystem::instance();
    return system ? system->getGenerateReportViewController() : nullptr;
}

InstrumentManager *instrumentManager()
{
    ASystem *system = ASystem::instance();
    return system ? system->getInstrumentManager() : nullptr;
}

} // namespace

int SystemController::dispatchConfigCommand(Command *command)
{
    ConfigController &config = m_configController;
    const int type = command->getType();
    switch (type) {
    case SystemCommand::ChangeInstrumentConfig: {
        auto *parameter = command->parameterAs<ConfigChangeCommandParameter>();
        if (!parameter)
            return -1;
        config.requestChangeConfig(parameter->getInstrumentConfig());
        return 0;
    }
    case SystemCommand::AddDeviceReply: {
        auto *parameter = command->parameterAs<DeviceNetworkInterfaceReply>();
        if (!parameter)
            return -1;
        // The text stays the command's; it is read during the call only.
        config.onNetworkReply(parameter->getNetworkError(), parameter->getRequestId(),
                              parameter->getReplyData());
        return 0;
    }
    case SystemCommand::StartAddInstrument:
        config.requestAddInstrument();
        return 0;
    case SystemCommand::SubmitAddInstrument: {
        auto *parameter = command->parameterAs<AddInstrumentCommandParameter>();
        if (!parameter)
            return -1;
        config.submitAddInstrument(parameter->getAddress(), parameter->getPassword());
        return 0;
    }
    case SystemCommand::CancelAddInstrument:
        config.cancelAddInstrument();
        return 0;
    case SystemCommand::RemoveAudiogroups: {
        auto *parameter = command->parameterAs<RemoveAudiogroupCommandParameter>();
        if (!parameter)
            return -1;
        GenerateReportViewController *reports = reportController();
        if (reports && reports->isBusy())
            showAlert(
                QStringLiteral("Could not delete audiogroups; report generation in progress."));
        else
            config.requestDeleteAudiogroups(parameter->getSelection());
        return 0;
    }
    case SystemCommand::OpenSettings:
        config.requestSettings();
        return 0;
    case SystemCommand::CancelSettings:
        config.cancelSettings();
        return 0;
    case SystemCommand::SaveSettings:
        config.saveSettings();
        return 0;
    case SystemCommand::ConfirmDeleteAudiogroups:
        config.confirmOperation();
        return 0;
    case SystemCommand::CancelDeleteAudiogroups:
        config.refuseOperation();
        return 0;
    case SystemCommand::StartManualAcquisition:
        config.requestStartManualAcquisition();
        return 0;
    case SystemCommand::StopManualAcquisition:
        config.requestStopManualAcquisition();
        return 0;
    case SystemCommand::StartAutoAcquisition:
        config.requestStartAutoAcquisition();
        return 0;
    case SystemCommand::StopAutoAcquisition:
        config.requestStopAutoAcquisition();
        return 0;
    case SystemCommand::EnableAgLogging:
    case SystemCommand::DisableAgLogging: {
        auto *parameter = command->parameterAs<AgLoggingChangeParameter>();
        if (!parameter)
            return -1;
        if (type == SystemCommand::EnableAgLogging)
            config.requestEnableAgLogging(parameter->getInstrumentName(), parameter->getAgName());
        else
            config.requestDisableAgLogging(parameter->getInstrumentName(), parameter->getAgName());
        return 0;
    }
    case SystemCommand::StartAcquisition: {
        auto *parameter = command->parameterAs<AcquisitionStartCommandParameter>();
        if (!parameter)
            return -1;
        config.requestStartAgAcquisition(parameter->getInstrumentName(), parameter->getAgName());
        return 0;
    }
    case SystemCommand::StartGenerateManualReport: {
        auto *parameter = command->parameterAs<StartGenerateManualReportCommandParameter>();
        if (!parameter)
            return -1;
        GenerateReportViewController *reports = reportController();
        if (reports && reports->isBusy())
            return 0;
        if (config.hasOperationOfType(ConfigController::DeleteAudiogroups))
            showAlert(
                QStringLiteral("Could not generate reports; delete audiogroup operation pending."));
        else if (parameter->getReports().isEmpty())
            showAlert(QStringLiteral("Could not generate reports; no audiogroups selected."));
        else if (reports)
            reports->startMonitoring(parameter->getReports(), parameter->getDuration());
        return 0;
    }
    case SystemCommand::ManualReportFinished: {
        auto *parameter = command->parameterAs<GenerateManualReportFinishCommandParameter>();
        if (!parameter)
            return -1;
        if (GenerateReportViewController *reports = reportController())
            reports->onReportTaskFinished(parameter->getNameKey(), parameter->isConverted(),
                                          parameter->isFailed(), parameter->getMessage());
        return 0;
    }
    case SystemCommand::RequestDbImport: {
        auto *parameter = command->parameterAs<DBImportRequestCommandParameter>();
        if (!parameter)
            return -1;
        // Nothing below the data folder is imported (a live database, the configuration),
        // except the backups, which the backup manager offers for import.
        const QString path = parameter->getFilePath();
        if (isDirectlyInDataFolder(path) ||
            (isInDataFolderTree(path) && !isInLogBackupFolder(path))) {
            showAlert(QStringLiteral(
                "Import operation is not allowed for files from KIV's data folder. Please move "
                "the file you wish to import to another folder and try again."));
            return -1;
        }
        config.requestDBImport(parameter->getFilePath(), parameter->getNameSuffixFlag(),
                               parameter->getNameSuffix());
        return 0;
    }
    case SystemCommand::CancelDbImport: {
        auto *parameter = command->parameterAs<DBImportCancelCommandParameter>();
        if (!parameter)
            return -1;
        config.cancelDBImport(parameter->getCancelKey());
        return 0;
    }
    case SystemCommand::ReplyDbImportStatus: {
        auto *parameter = command->parameterAs<DBImportStatusReplyCommandParameter>();
        if (!parameter)
            return -1;
        config.setDBImportStatus(parameter->isCompleted(), parameter->isFailed(),
                                 parameter->getMessage(), parameter->getProgress(),
                                 parameter->getTotal());
        return 0;
    }
    case SystemCommand::RequestHijackPermission: {
        auto *parameter = command->parameterAs<HijackPermissionCommandParameter>();
        if (!parameter)
            return -1;
        // A request that cannot be held releases its meter at once.
        if (m_hijackPermissionManager.addRequest(parameter->getInstrumentName()) != 0) {
            if (InstrumentManager *manager = instrumentManager())
                manager->resetHijackRequest(parameter->getInstrumentName());
        }
        return 0;
    }
    case SystemCommand::AllowHijack:
    case SystemCommand::DenyHijack: {
        auto *parameter = command->parameterAs<ReplyHijackPermissionCommandParameter>();
        if (!parameter)
            return -1;
        const int result = m_hijackPermissionManager.answerRequest(parameter->getRequestId());
        if (result != 0)
            return result;
        if (type == SystemCommand::AllowHijack) {
            // Allowed: the device goes on and takes the meter over.
            if (InstrumentManager *manager = instrumentManager())
                manager->allowHijackRequest(parameter->getInstrumentName());
        } else {
            config.requestHijackUncheck(parameter->getInstrumentName());
        }
        return 0;
    }
    default:
        return 0;
    }
}
