#pragma once

#include <ADBImportManager.h>

#include <QString>
#include <QtGlobal>

class AAgDataModel;
class ADBImportSource;
class AgConfig;
class AgDataVector;
class AgViolations;
class InstrumentConfig;

// An audiogroup's import of a database file or of parsed meter samples into its own store:
// 120000 ms of sample time per controller cycle, each slice retried up to 20 times; after a
// slice's samples were refused, 30000 ms at a time, so that a refused file keeps what came
// before the refused slice as it always did. One manager serves at most one import in the
// life of its audiogroup.
class DBImportManager : public ADBImportManager
{
public:
    // Two minutes (1200 samples at 100 ms) is one store transaction of a few ms: a 72-hour
    // file costs 2160 commits, not 8640, each of which writes the newest page of all sixteen
    // level tables again. Five minutes were no faster, and slower for a streamed XML export:
    // a slice's samples no longer stay in the processor's cache. The zoom rows do not depend
    // on where batches begin.
    static constexpr qint64 kSliceMs = 120000;
    static constexpr qint64 kShortSliceMs = 30000;
    static constexpr int kRetryBudget = 20;

    DBImportManager();
    ~DBImportManager() override;
    DBImportManager(const DBImportManager &) = delete;
    DBImportManager &operator=(const DBImportManager &) = delete;

    // Type 0 own database, 1 meter database, 2 XML samples (which the source then owns);
    // null for any other type.
    static ADBImportSource *createSource(int type, const QString &path, AgDataVector *samples);

    void process(bool checkIAtProgramEndOnly, InstrumentConfig *instrumentConfig,
                 AgConfig *agConfig, AAgDataModel *model, AgViolations *violations) override;
    // Source types 0 and 1; -1 when an import was already started (also one that ended).
    int startImport(int requestId, int sourceType, const QString &filePath) override;
    // Source type 2; 0 when the manager took over the samples.
    int startXmlImport(int requestId, AgDataVector *data, int sourceType) override;
    // Source type 2, the samples read from the export file slice by slice.
    int startXmlStreamImport(int requestId, const XmlSampleList &list, int sourceType) override;

    bool isImporting() const override;
    bool isCompleted() const override { return m_completed; }
    bool hasFailed() const override { return m_failed; }
    qint64 getProgressValue() const override;
    qint64 getProgressTotal() const override;
    int getRequestId() const override { return m_requestId; }
    QString getMessage() const override { return m_message; }

private:
    int start(int requestId, int sourceType, const QString &path, AgDataVector *samples);
    int startWith(int requestId, ADBImportSource *source);
    void fail(const QString &message);
    void openSource();
    void importSlice(bool checkIAtProgramEndOnly, const AgConfig &agConfig, AAgDataModel *model,
                     AgViolations *violations);
    bool dataSlice(qint64 from, qint64 to, bool checkIAtProgramEndOnly, const AgConfig &agConfig,
                   AAgDataModel *model, AgViolations *violations);
    bool eventsSlice(qint64 from, qint64 to, AAgDataModel *model);
    void dropSource();

    ADBImportSource *m_source = nullptr;
    int m_retryBudget = kRetryBudget;
    qint64 m_sliceMs = kSliceMs;
    int m_requestId = -1;
    bool m_dataSliceDone = false;
    bool m_eventsSliceDone = false;
    qint64 m_firstTimestamp = -1;
    qint64 m_lastTimestamp = -1;
    qint64 m_readPosition = -1;
    bool m_opened = false;
    // The store was told that a whole file is being copied in.
    bool m_bulkWrites = false;
    bool m_completed = false;
    bool m_failed = false;
    QString m_message;
};
