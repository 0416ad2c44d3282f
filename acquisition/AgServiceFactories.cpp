#include "AgServiceFactories.h"

#include "AAgViewController.h"
#include "ADBExportManager.h"
#include "ADBImportManager.h"
#include "AReportTaskQueue.h"
#include "AgGetDataCommandReply.h"

#include "data/AgDataVector.h"

#include <QMutex>

namespace {

class NullViewController : public AAgViewController
{
public:
    int init(bool, const InstrumentConfig &, const AgConfig &) override { return 0; }
    void updateConfig(bool, const InstrumentConfig &, const AgConfig &) override {}
    void start() override {}
    void stop() override {}
    void stopUpdateTimer() override {}
    void disposeTableView() override {}
    void pause() override {}
    void unpause() override {}
    void setDataReply(AgGetDataCommandReply *reply) override { delete reply; }
    void showPleaseWait(const QString &) override {}
    void hidePleaseWait() override {}
    void resetProgramData() override {}
    void showExportProgress(const QString &, bool, qint64, qint64) override {}
    void hideExportProgress() override {}
};

class NullReportTasks : public AReportTaskQueue
{
public:
    void addTask(const QString &, bool, const ReportConfig &, const InstrumentConfig &,
                 const AgConfig &, const std::vector<Program> &, qint64, qint64) override
    {
    }
    void processFront(AAgDataModel *) override {}
    void cancelTask(const QString &) override {}
    void cancelAll() override {}
    bool hasTasks() const override { return false; }
};

class NullImportManager : public ADBImportManager
{
public:
    void process(bool, InstrumentConfig *, AgConfig *, AAgDataModel *, AgViolations *) override {}
    int startImport(int, int, const QString &) override { return -1; }
    int startXmlImport(int, AgDataVector *, int) override { return -1; }
    bool isImporting() const override { return false; }
    bool isCompleted() const override { return false; }
    bool hasFailed() const override { return false; }
    qint64 getProgressValue() const override { return 0; }
    qint64 getProgressTotal() const override { return 0; }
    int getRequestId() const override { return -1; }
    QString getMessage() const override { return QString(); }
};

class NullExportManager : public ADBExportManager
{
public:
    int startExport(const InstrumentConfig &, const AgConfig &, qint64, qint64,
                    const QString &) override
    {
        return -1;
    }
    void process(int, AAgDataModel *) override {}
    int cancel() override { return -1; }
    void reset() override {}
    bool isStarted() const override { return false; }
    bool isFinished() const override { return false; }
    bool isCompleted() const override { return false; }
    bool isCancelRequested() const override { return false; }
    QString getMessage() const override { return QString(); }
    qint64 getProgressValue() const override { return 0; }
    qint64 getProgressTotal() const override { return 0; }
};

QMutex &factoriesMutex()
{
    static QMutex mutex;
    return mutex;
}

AgServiceFactories &factories()
{
    static AgServiceFactories installed;
    return installed;
}

template <typename Service, typename Null> Service *make(const std::function<Service *()> &factory)
{
    Service *service = factory ? factory() : nullptr;
    return service ? service : new Null();
}

} // namespace

void AgServiceFactories::install(const AgServiceFactories &installed)
{
    QMutexLocker lock(&factoriesMutex());
    factories() = installed;
}

AgServiceFactories AgServiceFactories::installed()
{
    QMutexLocker lock(&factoriesMutex());
    return factories();
}

AAgViewController *AgServiceFactories::createViewController()
{
    return make<AAgViewController, NullViewController>(installed().viewController);
}

AReportTaskQueue *AgServiceFactories::createReportTasks()
{
    return make<AReportTaskQueue, NullReportTasks>(installed().reportTasks);
}

ADBImportManager *AgServiceFactories::createImportManager()
{
    return make<ADBImportManager, NullImportManager>(installed().importManager);
}

ADBExportManager *AgServiceFactories::createExportManager()
{
    return make<ADBExportManager, NullExportManager>(installed().exportManager);
}
