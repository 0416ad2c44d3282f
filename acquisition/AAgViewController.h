#pragma once

#include <QString>
#include <QtGlobal>

class AgConfig;
class AgGetDataCommandReply;
class InstrumentConfig;

// What an audiogroup and its controller need of the audiogroup's window controller; the
// window layer implements it (AgServiceFactories).
class AAgViewController
{
public:
    virtual ~AAgViewController() = default;

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
};
