#pragma once

#include <ARequest.h>
#include <InstrumentConfig.h>

#include <QList>
#include <QMultiMap>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class AConfigManagementOperation;
class ADeviceAddNetworkInterface;

// Queues the configuration-management operations, at most one of each type, and runs the
// oldest one step per system controller cycle. The system controller's command handlers
// queue operations and pass the user's answers and the add-device replies to the running
// one. Everything here runs on the system controller's thread (init on the GUI thread
// before that thread starts).
class ConfigController : public QObject
{
    Q_OBJECT
public:
    // Operation types.
    enum OperationType {
        AddInstrument = 0,
        DeleteAudiogroups = 1,
        ChangeConfig = 2,
        Settings = 3,
        StartManualAcquisition = 4,
        StopManualAcquisition = 5,
        StartAutoAcquisition = 6,
        StopAutoAcquisition = 7,
        EnableAgLogging = 8,
        DisableAgLogging = 9,
        StartAgAcquisition = 10,
        DBImport = 11,
        HijackUncheck = 12
    };
    static constexpr int kAddDeviceInterfaceHttp = 1;
    static constexpr int kIdModulus = 0xFFFFFFF;

    ConfigController();
    ~ConfigController() override;
    ConfigController(const ConfigController &) = delete;
    ConfigController &operator=(const ConfigController &) = delete;

    // Type 1 creates the HTTP add-device transport and gives 0; any other type -1.
    int init(int interfaceType);

    // Requests; a type already queued is refused silently, except the hijack uncheck, of
    // which one per instrument may wait.
    void requestAddInstrument();
    // instrument Name -> audiogroup source name.
    void requestDeleteAudiogroups(const QMultiMap<QString, QString> &selection);
    void requestChangeConfig(const InstrumentConfig &config);
    void requestSettings();
    void requestStartManualAcquisition();
    void requestStopManualAcquisition();
    void requestStartAutoAcquisition();
    void requestStopAutoAcquisition();
    void requestEnableAgLogging(const QString &instrument, const QString &audiogroup);
    void requestDisableAgLogging(const QString &instrument, const QString &audiogroup);
    void requestStartAgAcquisition(const QString &instrument, const QString &audiogroup);
    void requestDBImport(const QString &filePath, bool nameSuffixFlag, const QString &nameSuffix);
    void requestHijackUncheck(const QString &instrumentName);

    // Queues the operation `create` makes with its id, unless one of `type` is queued
    // already. The creation point of every operation type; false when refused.
    using OperationFactory = std::function<AConfigManagementOperation *(int type, int id)>;
    bool queueOperation(int type, const OperationFactory &create);

    // True when an operation of the type waits or runs.
    bool hasOperationOfType(int type) const;
    // The running (oldest) operation; null when none is queued.
    AConfigManagementOperation *runningOperation() const;
    // Any thread (the others are the controller thread's own).
    int operationCount() const { return m_operationCount.load(); }
    // Operations to advance, or dialogs to hide; controller thread.
    bool hasWork() const { return m_operationCount.load() > 0 || m_viewsMayShow; }
    QList<int> queuedTypes() const;

    // The user's answers and the add-device replies, for the running operation.
    void submitAddInstrument(const QString &address, const QString &password);
    void cancelAddInstrument();
    void confirmOperation();
    void refuseOperation();
    void saveSettings();
    void cancelSettings();
    void cancelDBImport(int requestId);
    void setDBImportStatus(bool completed, bool failed, const QString &message, qint64 progress,
                           qint64 total);
    // The text is only read during the call.
    void onNetworkReply(int networkError, int kind, const QString *text);

    // Runs the oldest operation one cycle; deletes it once it has finished.
    void tick();
    // The system closes: every queued operation is dropped unrun.
    void clear();

    ADeviceAddNetworkInterface *getAddDeviceInterface() const { return m_addDeviceInterface; }

public slots:
    void onNetworkRequest(ARequest::CommandType kind, ARequest *request, const QString &host,
                          const QString &port);

private:
    // Queues without the one-per-type check.
    bool insertOperation(int type, const OperationFactory &create);
    void hideConfigOperationViews();
    static void dispose(AConfigManagementOperation *operation);

    // Newest first; the last one runs.
    QList<AConfigManagementOperation *> m_operations;
    int m_idCounter = 1;
    int m_interfaceType = kAddDeviceInterfaceHttp;
    ADeviceAddNetworkInterface *m_addDeviceInterface = nullptr;
    std::atomic<int> m_operationCount{0};
    // An operation has run since its dialogs were last hidden (true at first).
    bool m_viewsMayShow = true;
};
