#include "AgViewController.h"

#include <AgGetDataCommandReply.h>

AgViewController::AgViewController() = default;

AgViewController::~AgViewController() = default;

int AgViewController::init(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                           const AgConfig &agConfig)
{
    updateConfig(acquisitionFlag, instrumentConfig, agConfig);
    return 0;
}

void AgViewController::updateConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                                    const AgConfig &agConfig)
{
    QMutexLocker lock(&m_mutex);
    m_acquisitionFlag = acquisitionFlag;
    m_instrumentConfig = instrumentConfig;
    m_agConfig = agConfig;
}

void AgViewController::start()
{
    QMutexLocker lock(&m_mutex);
    m_running = true;
    emit show();
}

void AgViewController::stop()
{
    QMutexLocker lock(&m_mutex);
    m_running = false;
    m_live = false;
    emit hide();
}

void AgViewController::stopUpdateTimer() {}

void AgViewController::pause()
{
    QMutexLocker lock(&m_mutex);
    m_paused = true;
}

void AgViewController::unpause()
{
    QMutexLocker lock(&m_mutex);
    m_paused = false;
}

void AgViewController::setDataReply(AgGetDataCommandReply *reply)
{
    QMutexLocker lock(&m_mutex);
    delete reply;
}

void AgViewController::showPleaseWait(const QString &text)
{
    emit showPleaseWaitDialog(text);
}

void AgViewController::resetProgramData()
{
    QMutexLocker lock(&m_mutex);
    m_live = false;
    m_program = Program();
    m_calculationData = ProgramCalculationData();
}

void AgViewController::showExportProgress(const QString &text, bool flag, qint64 value,
                                          qint64 total)
{
    emit updateExportDialog(text, flag, value, total);
    emit showExportDialog();
}

bool AgViewController::isRunning() const
{
    QMutexLocker lock(&m_mutex);
    return m_running;
}

bool AgViewController::isPaused() const
{
    QMutexLocker lock(&m_mutex);
    return m_paused;
}

void AgViewController::disposeTableView() { emit disposeTableViewModelConnection(); }

void AgViewController::hidePleaseWait() { emit hidePleaseWaitDialog(); }

void AgViewController::hideExportProgress() { emit hideExportDialog(); }
