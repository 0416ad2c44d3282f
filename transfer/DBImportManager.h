#pragma once

#include <ADBImportManager.h>

#include <QString>
#include <QtGlobal>

class AAgDataModel;
class AgConfig;
class AgDataVector;
class AgViolations;
class InstrumentConfig;

// An audiogroup's import of a database file or of parsed meter samples, one step per
// controller cycle. Idle until a request starts.
class DBImportManager : public ADBImportManager
{
public:
    DBImportManager();
    ~DBImportManager() override;
    DBImportManager(const DBImportManager &) = delete;
    DBImportManager &operator=(const DBImportManager &) = delete;

    void process(bool checkIAtProgramEndOnly, InstrumentConfig *instrumentConfig,
                 AgConfig *agConfig, AAgDataModel *model, AgViolations *violations) override;
    // -1 while another request is active.
    int startImport(int requestId, int sourceType, const QString &filePath) override;
    // 0 when the manager took over the samples.
    int startXmlImport(int requestId, AgDataVector *data, int value) override;

    bool isImporting() const override;
    bool isCompleted() const override { return m_completed; }
    bool hasFailed() const override { return m_failed; }
    qint64 getProgressValue() const override { return m_progressValue; }
    qint64 getProgressTotal() const override { return m_progressTotal; }
    int getRequestId() const override { return m_requestId; }
    QString getMessage() const override { return m_message; }

private:
    int m_requestId = -1;
    bool m_completed = false;
    bool m_failed = false;
    qint64 m_progressValue = 0;
    qint64 m_progressTotal = 0;
    QString m_message;
};
