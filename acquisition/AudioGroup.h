#pragma once

#include "AgController.h"

#include "config/AgConfig.h"
#include "config/InstrumentConfig.h"
#include "core/KivTypes.h"

#include <QMutex>
#include <QString>

#include <atomic>
#include <memory>

class AAgViewController;
class AgDataVector;
class CommandParameter;
class ProgramRequest;
struct XmlSampleList;

// One audiogroup of a running meter: its configurations, its controller thread and its
// window's controller. Every operation may be called from any thread; most post one
// command on the controller's queue.
class AudioGroup
{
public:
    // The controller or the view controller could not be set up.
    static constexpr int kInitFailed = 0x10100001;

    AudioGroup();
    // Only once the controller's thread has finished.
    virtual ~AudioGroup();
    AudioGroup(const AudioGroup &) = delete;
    AudioGroup &operator=(const AudioGroup &) = delete;

    int init(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
             const AgConfig &agConfig);
    // Directly, while the controller is paused.
    void applyConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                     const AgConfig &agConfig);
    // Through the controller's queue.
    void postConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                    const AgConfig &agConfig);

    bool isFinished() const { return m_controller.isFinished(); }
    void setDeleteImportedDbOnClose() { m_controller.setDeleteImportedDbOnClose(); }
    void stop();
    void pause();
    bool isPaused() const { return m_controller.isPaused(); }
    void unpause();
    QString getSourceName() const { return m_sourceName; }
    // Not imported, the system acquires and the audiogroup's logging is on.
    bool isLogging() const;
    AAgViewController *getAgViewController() const { return m_viewController.get(); }
    AgController &getController() { return m_controller; }
    AgConfig getAgConfig() const;
    InstrumentConfig getInstrumentConfig() const;

    // Posting; the int ones return the queue's result (0 queued, -1 refused).
    // A refused batch is freed.
    int postSamples(const QString &instrumentName, AgDataVector *batch);
    int publishViolations();
    bool hasUnpublishedViolations() const { return m_controller.hasUnpublishedViolations(); }
    int resetViolationStatus();
    void requestTimestamp(const QString &instrumentName);
    void requestAgData(ZoomLevel zoomLevel, qint64 from, qint64 to, const ProgramRequest &request);
    int generateManualReport(const QString &nameKey, qint64 durationMs);
    int cancelManualReport(const QString &nameKey);
    int importDb(int requestId, int sourceType, const QString &filePath);
    // Takes the samples (freed when the command is refused).
    int importXml(int requestId, AgDataVector *data, int sourceType);
    int importXml(int requestId, const XmlSampleList &list, int sourceType);
    int requestImportStatus(int requestId);
    int saveConfigToDb(const QString &configText);
    void exportDb(const QString &targetPath);
    int cancelExport();
    int showView();

private:
    int post(int type, CommandParameter *parameter = nullptr);
    void storeConfigs(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                      const AgConfig &agConfig);

    // isLogging is asked by the meter's thread while the system thread changes these.
    std::atomic<bool> m_acquisitionFlag{false};
    std::atomic<bool> m_imported{false};
    std::atomic<bool> m_loggingEnabled{false};
    mutable QMutex m_configMutex;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    // Fixed by init: an audiogroup keeps its name for life.
    QString m_sourceName;
    AgController m_controller;
    // A GUI-thread object: destroyed before the controller, on the GUI thread.
    std::unique_ptr<AAgViewController> m_viewController;
};
