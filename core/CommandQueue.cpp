#include "CommandQueue.h"

#include "Command.h"

#include <ORQLogging.h>

#include <QElapsedTimer>

#include <exception>
#include <memory>

CommandQueue::CommandQueue(int capacity) : m_statsCapacity(capacity), m_capacity(capacity) {}

CommandQueue::~CommandQueue()
{
    while (m_queue.size() > 0)
        delete m_queue.takeFirst();
}

QString CommandQueue::commandQueueName() const { return QStringLiteral("CommandQueue"); }

void CommandQueue::onCommandDropped(const Command &) {}

int CommandQueue::enqueue(Command *command)
{
    if (!command)
        return -1;
    // Read before the push: from then on the owning thread may run and delete it.
    const int type = command->getType();
    {
        QMutexLocker lock(&m_enqueueMutex);
        if (!acceptsCommands() || m_queue.size() >= m_capacity) {
            delete command;
            return -1;
        }
        m_queue.push(command);
    }
    onCommandQueued(type);
    return 0;
}

int CommandQueue::processCommands()
{
    QList<Command *> batch;
    {
        QMutexLocker lock(&m_enqueueMutex);
        while (m_queue.size() > 0)
            batch.append(m_queue.takeFirst());
    }
    const int batchSize = batch.size();
    for (int i = 0; i < batchSize; ++i) {
        // The queue owns the command while its handler runs, also when it throws.
        std::unique_ptr<Command> command(batch[i]);
        batch[i] = nullptr;
        const int id = command->getId();
        try {
            QElapsedTimer timer;
            timer.start();
            handleCommand(command.get());
            const int ms = static_cast<int>(timer.elapsed());
            recordExecution(id, ms);
            m_lastBatchSize = batchSize;
            reportUsage();
        } catch (const std::exception &e) {
            KIV_LOG(2, "Exception when handling commands in %s: %s\n",
                    qUtf8Printable(commandQueueName()), e.what());
        }
    }
    return 0;
}

void CommandQueue::clearCommands()
{
    QList<Command *> dropped;
    {
        QMutexLocker lock(&m_enqueueMutex);
        while (m_queue.size() > 0)
            dropped.append(m_queue.takeFirst());
    }
    dropCommands(dropped);
}

void CommandQueue::clearCommandsIfRefusing()
{
    QList<Command *> dropped;
    {
        QMutexLocker lock(&m_enqueueMutex);
        if (acceptsCommands())
            return;
        while (m_queue.size() > 0)
            dropped.append(m_queue.takeFirst());
    }
    dropCommands(dropped);
}

void CommandQueue::dropCommands(QList<Command *> &dropped)
{
    for (Command *&command : dropped) {
        std::unique_ptr<Command> owned(command);
        command = nullptr;
        try {
            onCommandDropped(*owned);
        } catch (const std::exception &e) {
            KIV_LOG(2, "Exception when dropping a command in %s: %s\n",
                    qUtf8Printable(commandQueueName()), e.what());
        }
    }
}

void CommandQueue::recordExecution(int id, int ms)
{
    if (ms > m_maxExecMs) {
        m_maxExecMs = ms;
        m_maxExecCommandId = id;
    }
    const double n = m_executedCount;
    m_averageExecMs = m_averageExecMs * n / (n + 1.0) + ms / (n + 1.0);
    m_executedCount = n + 1.0;
}

void CommandQueue::reportUsage()
{
    if (m_statsCapacity == 0)
        return;
    if (static_cast<double>(m_lastBatchSize) / m_statsCapacity > 0.5) {
        KIV_LOG(4,
                "Command queue high usage: %d/%d; Average execution time: %d ms; Max execution: "
                "command with id %d executed in %d millis\n",
                m_lastBatchSize, m_statsCapacity, static_cast<int>(m_averageExecMs),
                m_maxExecCommandId, m_maxExecMs);
    }
}
