#include "GenerateReportViewController.h"

#include <AAudioGroup.h>
#include <AGenerateReportView.h>
#include <ASystem.h>
#include <GUIFactory.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <ORQLogging.h>

#include <QCoreApplication>
#include <QDir>
#include <QMutexLocker>
#include <QStringList>

#include <exception>

namespace {
constexpr qint64 kMsPerHour = 3600000;
}

GenerateReportViewController::GenerateReportViewController() = default;

GenerateReportViewController::~GenerateReportViewController()
{
    if (m_view)
        m_view->deleteLater();
}

int GenerateReportViewController::init()
{
    try {
        if (QCoreApplication *app = QCoreApplication::instance())
            m_updateTimer.moveToThread(app->thread());
        m_updateTimer.setInterval(kUpdateIntervalMs);
        connect(&m_updateTimer, &QTimer::timeout, this,
                &GenerateReportViewController::onCheckTaskStatus, Qt::DirectConnection);
        // Queued, not blocking: it is emitted under the mutex, also on the GUI thread.
        connect(this, &GenerateReportViewController::killUpdateTimer, &m_updateTimer, &QTimer::stop,
                Qt::QueuedConnection);
        AView *view = GUIFactory::getInstance()->createView(kViewTypeGenerateReport);
        m_view = qobject_cast<AGenerateReportView *>(view);
        if (!m_view) {
            KIV_LOG(2, "GenerateReportViewController: no report dialog\n");
            delete view;
            return -1;
        }
    } catch (const std::exception &e) {
        KIV_LOG(2, "GenerateReportViewController: init failed: %s\n", e.what());
        return -1;
    }
    connectView();
    return 0;
}

void GenerateReportViewController::connectView()
{
    connect(this, &GenerateReportViewController::show, m_view, &AView::onShow,
            Qt::QueuedConnection);
    connect(this, &GenerateReportViewController::hide, m_view, &AView::onHide,
            Qt::QueuedConnection);
    connect(this, &GenerateReportViewController::updateUi, m_view,
            qOverload<const QString &, bool>(&AGenerateReportView::onUpdateUi),
            Qt::QueuedConnection);
    connect(m_view, &AGenerateReportView::CancelButtonClick, this,
            &GenerateReportViewController::onCancelButtonClick, Qt::DirectConnection);
}

void GenerateReportViewController::startMonitoring(const QMultiMap<QString, QString> &reports,
                                                   qint64 duration)
{
    QMutexLocker lock(&m_mutex);
    m_busy = true;
    m_states.clear();
    m_current = 0;
    m_cancelRequested = false;
    m_duration = duration;
    for (auto entry = reports.constBegin(); entry != reports.constEnd(); ++entry)
        m_states.emplace_back(entry.key(), entry.value());
    updateDialogText();
    emit show();
    QMetaObject::invokeMethod(&m_updateTimer, "start", Qt::QueuedConnection);
}

void GenerateReportViewController::updateDialogText()
{
    emit updateUi(QStringLiteral("Generating report for the last %1 logged data. Please wait.")
                      .arg(QString::number(m_duration / kMsPerHour) + QLatin1Char('h')),
                  true);
}

bool GenerateReportViewController::isBusy() const
{
    QMutexLocker lock(&m_mutex);
    return m_busy;
}

std::vector<ReportTaskState> GenerateReportViewController::getStates() const
{
    QMutexLocker lock(&m_mutex);
    return m_states;
}

void GenerateReportViewController::onReportTaskFinished(const QString &nameKey, bool converted,
                                                        bool failed, const QString &message)
{
    QMutexLocker lock(&m_mutex);
    for (ReportTaskState &state : m_states) {
        if (state.getNameKey() == nameKey) {
            state.setOutcome(converted, failed, message);
            return;
        }
    }
}

void GenerateReportViewController::stop()
{
    QMutexLocker lock(&m_mutex);
    endRun();
}

void GenerateReportViewController::onCheckTaskStatus()
{
    QMutexLocker lock(&m_mutex);
    if (m_cancelRequested) {
        cancelReportTasks();
        return;
    }
    if (m_current < 0)
        m_current = 0;
    if (m_current >= static_cast<int>(m_states.size())) {
        onAllReportsGenerated();
        return;
    }
    ReportTaskState &state = m_states[static_cast<size_t>(m_current)];
    if (!state.isStarted())
        startReportTask(state);
    else if (state.isConverted())
        ++m_current; // the next report starts at the next tick
    else if (state.isFailed())
        onReportFailed(state);
}

AAudioGroup *GenerateReportViewController::findAudioGroup(const ReportTaskState &state)
{
    ASystem *system = ASystem::instance();
    InstrumentManager *manager = system ? system->getInstrumentManager() : nullptr;
    return manager ? manager->findAudioGroup(state.getInstrumentName(), state.getSourceName())
                   : nullptr;
}

void GenerateReportViewController::startReportTask(ReportTaskState &state)
{
    AAudioGroup *audioGroup = findAudioGroup(state);
    if (!audioGroup)
        return; // tried again at the next tick
    if (audioGroup->generateManualReport(state.getNameKey(), m_duration) == 0)
        state.setStarted(true);
}

void GenerateReportViewController::onAllReportsGenerated()
{
    // The user learns where the PDFs are also when the desktop cannot open the folders.
    QStringList folders;
    for (const ReportTaskState &state : m_states) {
        const QString folder = QDir::toNativeSeparators(
            getAgReportsFolderPath(state.getInstrumentName(), state.getSourceName()));
        if (!folders.contains(folder))
            folders << folder;
    }
    QString text = QStringLiteral("Reports generation completed successfully");
    if (folders.size() == 1)
        text += QStringLiteral("\nReport folder: %1").arg(folders.first());
    else if (!folders.isEmpty())
        text += QStringLiteral("\nReport folders:\n%1").arg(folders.join(QLatin1Char('\n')));
    if (ASystem *system = ASystem::instance())
        system->showAlert(text);
    endRun();
}

void GenerateReportViewController::onReportFailed(const ReportTaskState &state)
{
    if (ASystem *system = ASystem::instance())
        system->showAlert(
            QStringLiteral("Report generation failed for %1 %2 because: %3")
                .arg(state.getInstrumentName(), state.getSourceName(), state.getMessage()));
    endRun();
}

void GenerateReportViewController::onCancelButtonClick()
{
    QMutexLocker lock(&m_mutex);
    m_cancelRequested = true;
}

void GenerateReportViewController::cancelReportTasks()
{
    bool complete = true;
    for (ReportTaskState &state : m_states) {
        if (state.isDone())
            continue;
        AAudioGroup *audioGroup = findAudioGroup(state);
        if (!audioGroup)
            continue;
        if (audioGroup->cancelManualReport(state.getNameKey()) == 0)
            state.setDone(true);
        else
            complete = false;
    }
    if (complete)
        endRun();
}

void GenerateReportViewController::endRun()
{
    emit killUpdateTimer();
    m_busy = false;
    emit hide();
}
