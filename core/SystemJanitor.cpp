#include "SystemJanitor.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

ARetirableAudioGroup::~ARetirableAudioGroup() = default;
ARetirableInstrument::~ARetirableInstrument() = default;

namespace {

// Objects owning GUI-thread objects are deleted there; everything else right here.
template <typename T> void dispose(T *object)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (object->deleteOnGuiThread() && app && app->thread() != QThread::currentThread())
        QMetaObject::invokeMethod(app, [object] { delete object; }, Qt::QueuedConnection);
    else
        delete object;
}

} // namespace

SystemJanitor::SystemJanitor(QObject *parent) : KivThread(parent), m_timer(new QTimer())
{
    moveToThread(this);
    m_timer->moveToThread(this);
    connect(m_timer, &QTimer::timeout, this, &SystemJanitor::onDoCleanup, Qt::DirectConnection);
}

SystemJanitor::~SystemJanitor()
{
    // Objects still listed are not deleted: their threads may still run.
    delete m_timer;
}

void SystemJanitor::loop()
{
    m_timer->setInterval(500);
    {
        QMutexLocker lock(&m_mutex);
        if (!m_instruments.isEmpty() || !m_audioGroups.isEmpty())
            m_timer->start();
    }
    exec();
    m_timer->stop();
}

void SystemJanitor::startCleanups()
{
    // The timer belongs to this thread; it runs only while something is retired, so an
    // idle janitor never wakes.
    QMetaObject::invokeMethod(
        m_timer,
        [timer = m_timer] {
            if (!timer->isActive())
                timer->start();
        },
        Qt::QueuedConnection);
}

void SystemJanitor::stopJanitor()
{
    disconnect(m_timer, nullptr, this, nullptr);
    exit(0);
}

void SystemJanitor::retireInstrument(ARetirableInstrument *instrument)
{
    if (!instrument)
        return;
    QMutexLocker lock(&m_mutex);
    const QList<ARetirableAudioGroup *> groups = instrument->getRetirableAudioGroups();
    for (ARetirableAudioGroup *group : groups) {
        if (!group)
            continue;
        if (ARetirableAudioGroup *taken = instrument->takeRetirableAudioGroup(group->getRetirableName()))
            m_audioGroups.append(taken);
    }
    instrument->stop();
    m_instruments.append(instrument);
    startCleanups();
}

void SystemJanitor::retireAudioGroup(ARetirableAudioGroup *audioGroup)
{
    if (!audioGroup)
        return;
    QMutexLocker lock(&m_mutex);
    audioGroup->stop();
    m_audioGroups.append(audioGroup);
    startCleanups();
}

void SystemJanitor::onDoCleanup()
{
    // Collect under the lock, delete after it: deleting may take a while.
    QList<ARetirableInstrument *> doneInstruments;
    QList<ARetirableAudioGroup *> doneGroups;
    {
        QMutexLocker lock(&m_mutex);
        for (int i = 0; i < m_instruments.size();) {
            ARetirableInstrument *instrument = m_instruments[i];
            if (!instrument) {
                m_instruments.removeAt(i);
            } else if (instrument->isRetiredFinished()) {
                m_instruments.removeAt(i);
                doneInstruments.append(instrument);
            } else {
                ++i;
            }
        }
        for (int i = 0; i < m_audioGroups.size();) {
            ARetirableAudioGroup *group = m_audioGroups[i];
            if (!group) {
                m_audioGroups.removeAt(i);
            } else if (group->isRetiredFinished()) {
                m_audioGroups.removeAt(i);
                doneGroups.append(group);
            } else {
                ++i;
            }
        }
        // A retire after this posts its own start, which runs after this call.
        if (m_instruments.isEmpty() && m_audioGroups.isEmpty())
            m_timer->stop();
    }
    for (ARetirableInstrument *instrument : doneInstruments)
        dispose(instrument);
    for (ARetirableAudioGroup *group : doneGroups)
        dispose(group);
}

int SystemJanitor::retiredInstrumentCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_instruments.size();
}

int SystemJanitor::retiredAudioGroupCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_audioGroups.size();
}
