#pragma once

#include "AudioGroup.h"

#include "core/SystemJanitor.h"

// The front the rest of the program holds for an audiogroup; forwards every call.
class AAudioGroup : public ARetirableAudioGroup
{
public:
    AAudioGroup();
    ~AAudioGroup() override;

    int init(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
             const AgConfig &agConfig)
    {
        return m_audioGroup.init(acquisitionFlag, instrumentConfig, agConfig);
    }
    void applyConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                     const AgConfig &agConfig)
    {
        m_audioGroup.applyConfig(acquisitionFlag, instrumentConfig, agConfig);
    }
    void postConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                    const AgConfig &agConfig)
    {
        m_audioGroup.postConfig(acquisitionFlag, instrumentConfig, agConfig);
    }
    bool isFinished() const { return m_audioGroup.isFinished(); }
    void setDeleteImportedDbOnClose() { m_audioGroup.setDeleteImportedDbOnClose(); }
    void stop() override { m_audioGroup.stop(); }
    void pause() { m_audioGroup.pause(); }
    bool isPaused() const { return m_audioGroup.isPaused(); }
    void unpause() { m_audioGroup.unpause(); }
    QString getSourceName() const { return m_audioGroup.getSourceName(); }
    bool isLogging() const { return m_audioGroup.isLogging(); }
    AAgViewController *getAgViewController() const { return m_audioGroup.getAgViewController(); }
    AgConfig getAgConfig() const { return m_audioGroup.getAgConfig(); }
    InstrumentConfig getInstrumentConfig() const { return m_audioGroup.getInstrumentConfig(); }

    int postSamples(const QString &instrumentName, AgDataVector *batch)
    {
        return m_audioGroup.postSamples(instrumentName, batch);
    }
    int publishViolations() { return m_audioGroup.publishViolations(); }
    bool hasUnpublishedViolations() const { return m_audioGroup.hasUnpublishedViolations(); }
    int resetViolationStatus() { return m_audioGroup.resetViolationStatus(); }
    void requestTimestamp(const QString &instrumentName)
    {
        m_audioGroup.requestTimestamp(instrumentName);
    }
    void requestAgData(ZoomLevel zoomLevel, qint64 from, qint64 to, const ProgramRequest &request)
    {
        m_audioGroup.requestAgData(zoomLevel, from, to, request);
    }
    int generateManualReport(const QString &nameKey, qint64 durationMs)
    {
        return m_audioGroup.generateManualReport(nameKey, durationMs);
    }
    int cancelManualReport(const QString &nameKey)
    {
        return m_audioGroup.cancelManualReport(nameKey);
    }
    int importDb(int requestId, int sourceType, const QString &filePath)
    {
        return m_audioGroup.importDb(requestId, sourceType, filePath);
    }
    int importXml(int requestId, AgDataVector *data, int sourceType)
    {
        return m_audioGroup.importXml(requestId, data, sourceType);
    }
    int importXml(int requestId, const XmlSampleList &list, int sourceType)
    {
        return m_audioGroup.importXml(requestId, list, sourceType);
    }
    int requestImportStatus(int requestId) { return m_audioGroup.requestImportStatus(requestId); }
    int saveConfigToDb(const QString &configText)
    {
        return m_audioGroup.saveConfigToDb(configText);
    }
    void exportDb(const QString &targetPath) { m_audioGroup.exportDb(targetPath); }
    int cancelExport() { return m_audioGroup.cancelExport(); }
    int showView() { return m_audioGroup.showView(); }
    AudioGroup &getAudioGroup() { return m_audioGroup; }

    // The janitor's view.
    QString getRetirableName() const override { return getSourceName(); }
    bool isRetiredFinished() const override { return isFinished(); }
    // Its window's controller lives on the GUI thread.
    bool deleteOnGuiThread() const override { return true; }

private:
    AudioGroup m_audioGroup;
};
