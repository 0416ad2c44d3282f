#pragma once

#include "AConfigManagementOperation.h"

#include <InstrumentConfig.h>
#include <XmlSampleList.h>

#include <QElapsedTimer>
#include <QString>

class SystemConfig;

// Imports a file as a new audiogroup: reads what the file is and its configuration,
// creates the audiogroup "<name>_i", has its controller copy the samples in while the
// progress dialog shows how far it got, and removes the audiogroup again when the copy
// fails or the user cancels it.
class DBImportConfigManagementOperation : public AConfigManagementOperation
{
    Q_OBJECT
public:
    enum Step { StepCreate = 0, StepImport = 1, StepRemove = 2 };
    enum SourceType { SourceUnknown = -1, SourceKivDb = 0, SourceMeterDb = 1, SourceMeterXml = 2 };
    static constexpr int kStatusPollMs = 500;

    DBImportConfigManagementOperation(int type, int id, const QString &filePath,
                                      bool nameSuffixFlag, const QString &nameSuffix);
    ~DBImportConfigManagementOperation() override;

    // The last status the audiogroup's controller relayed.
    void setImportStatus(bool completed, bool failed, const QString &message, qint64 value,
                         qint64 total);
    // Only a key equal to the current step cancels.
    void onCancel(int key);

    int getStep() const { return m_step; }
    int getSourceType() const { return m_sourceType; }
    QString getInstrumentName() const { return m_instrumentName; }
    QString getAudiogroupName() const { return m_audiogroupName; }

protected:
    void changeSystemConfig() override;
    void step() override;
    void abort() override;

private:
    void createAudiogroup();
    void importSamples();
    void removeAudiogroup();
    void showProgress(const QString &text, bool cancelVisible, qint64 value, qint64 total);
    void hideProgress();

    // Classification and reading of the file; false when it cannot be imported.
    bool readImportInfo();
    // Keeps the reason for the user and logs it; false.
    bool refuseImportInfo(const QString &reason);
    bool readKivDb(bool hasConfigTable, const QString &connectionName);
    bool readMeterDb(bool hasConfigTable, const QString &connectionName);
    bool readXmlExport();
    void useDefaultConfiguration();
    // The new audiogroup as the only one of the instrument configuration.
    void takeAgConfig(AgConfig agConfig, bool keepLoggingFlag);
    void deleteXmlSamples();
    void removeFromConfig(SystemConfig &config) const;
    void dropUnfinishedImport();

    int m_step = StepCreate;
    int m_sourceType = SourceUnknown;
    // Why the file was refused, for the user.
    QString m_readFailure;
    QElapsedTimer m_statusTimer;
    InstrumentConfig m_instrumentConfig;
    QString m_filePath;
    QString m_instrumentName;
    QString m_audiogroupName;
    bool m_importStarted = false;
    // The instrument did not exist before: undoing the import removes it too.
    bool m_addedInstrument = false;
    bool m_cancelRequested = false;
    qint64 m_progressValue = 0;
    qint64 m_progressTotal = 100;
    bool m_statusCompleted = false;
    bool m_statusFailed = false;
    QString m_statusMessage;
    bool m_nameSuffixFlag;
    QString m_nameSuffix;
    // Where the XML export's samples lie; the audiogroup reads them from the file.
    XmlSampleList m_xmlSamples;
};
