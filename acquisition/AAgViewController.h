#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class AgConfig;
class AgGetDataCommandReply;
class InstrumentConfig;

// What an audiogroup and its controller need of the audiogroup's window controller. The
// window layer installs a factory for its implementation; without one (a headless run,
// tests) each audiogroup gets a controller that shows nothing.
class AAgViewController
{
public:
    virtual ~AAgViewController();

    // 0 on success; anything else fails the audiogroup's init.
    virtual int init(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                     const AgConfig &agConfig) = 0;
    virtual void updateConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                              const AgConfig &agConfig) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual void stopUpdateTimer() = 0;
    virtual void disposeTableView() = 0;
    virtual void pause() = 0;
    virtual void unpause() = 0;
    // Takes the reply over (also one with status -1).
    virtual void setDataReply(AgGetDataCommandReply *reply) = 0;
    virtual void showPleaseWait(const QString &text) = 0;
    virtual void hidePleaseWait() = 0;
    virtual void resetProgramData() = 0;
    virtual void showExportProgress(const QString &text, bool determinate, qint64 value,
                                    qint64 total) = 0;
    virtual void hideExportProgress() = 0;

    // Builds a controller with the installed factory, or one that shows nothing.
    static AAgViewController *create();
    using Factory = std::function<AAgViewController *()>;
    // Installed once by the window layer before the audiogroups are built.
    static void setFactory(const Factory &factory);
};

// The controller of a run without windows: accepts everything and shows nothing.
class NullAgViewController : public AAgViewController
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
    void setDataReply(AgGetDataCommandReply *reply) override;
    void showPleaseWait(const QString &) override {}
    void hidePleaseWait() override {}
    void resetProgramData() override {}
    void showExportProgress(const QString &, bool, qint64, qint64) override {}
    void hideExportProgress() override {}
};
