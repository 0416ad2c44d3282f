#pragma once

#include <QString>
#include <QtGlobal>

class AAgDataModel;
class AgConfig;
class AgDataVector;
class AgViolations;
class InstrumentConfig;
struct XmlSampleList;

// What an audiogroup controller needs of its import state machine; the import layer
// implements it (AgServiceFactories).
class ADBImportManager
{
public:
    virtual ~ADBImportManager() = default;
    // One step; nothing while no import is active.
    virtual void process(bool checkIAtProgramEndOnly, InstrumentConfig *instrumentConfig,
                         AgConfig *agConfig, AAgDataModel *model, AgViolations *violations) = 0;
    // -1 while another request is active.
    virtual int startImport(int requestId, int sourceType, const QString &filePath) = 0;
    // 0 when the manager took the samples over.
    virtual int startXmlImport(int requestId, AgDataVector *data, int value) = 0;
    // The same, reading the samples from the export file as the import goes on.
    virtual int startXmlStreamImport(int, const XmlSampleList &, int) { return -1; }
    virtual bool isImporting() const = 0;
    virtual bool isCompleted() const = 0;
    virtual bool hasFailed() const = 0;
    virtual qint64 getProgressValue() const = 0;
    virtual qint64 getProgressTotal() const = 0;
    virtual int getRequestId() const = 0;
    virtual QString getMessage() const = 0;
    // When process() next has work, in ms: -1 not before a new request, 0 at every step of
    // the controller. An import that waits for something can say when to look again.
    virtual qint64 msUntilNextStep() const { return isImporting() ? 0 : -1; }
};
