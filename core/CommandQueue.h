#pragma once

#include "ConcurrentQueue.h"

#include <QList>
#include <QMutex>
#include <QString>

class Command;

// Bounded queue of commands drained in batches by the owning controller thread.
// From the enqueue call on, a command belongs to the queue whatever the result;
// the queue deletes each command after its handler ran.
class CommandQueue
{
public:
    explicit CommandQueue(int capacity);
    virtual ~CommandQueue();
    CommandQueue(const CommandQueue &) = delete;
    CommandQueue &operator=(const CommandQueue &) = delete;

    // 0 when queued, -1 when refused (not accepting, full, or null); a refused command is
    // deleted.
    int enqueue(Command *command);

    // Runs every command queued when the call starts; always 0. Owning thread only.
    int processCommands();

    // Deletes every queued command without running it.
    void clearCommands();
    // The same, but only while the queue refuses commands: tested under the enqueue lock,
    // so a command taken because the queue accepts again at that moment is kept.
    void clearCommandsIfRefusing();

    int queuedCount() const { return m_queue.size(); }
    int getCapacity() const { return m_capacity; }

    // Statistics (owning thread only).
    int getMaxExecutionCommandId() const { return m_maxExecCommandId; }
    int getMaxExecutionMs() const { return m_maxExecMs; }
    double getAverageExecutionMs() const { return m_averageExecMs; }
    double getExecutedCount() const { return m_executedCount; }
    int getLastBatchSize() const { return m_lastBatchSize; }

protected:
    virtual int handleCommand(Command *command) = 0;
    virtual bool acceptsCommands() = 0;
    // The controller's name in log lines.
    virtual QString commandQueueName() const;
    // A command taken off the queue without being run (clearCommands); called outside the
    // queue's lock, before the command is deleted. Not called from the destructor.
    virtual void onCommandDropped(const Command &command);
    // A command of that type was just queued; called on the poster's thread, outside the
    // queue's lock. A controller that sleeps until there is work wakes its thread here.
    virtual void onCommandQueued(int commandType) { Q_UNUSED(commandType) }

    void recordExecution(int id, int ms);
    void reportUsage();

private:
    void dropCommands(QList<Command *> &dropped);

    int m_maxExecCommandId = -1;
    int m_maxExecMs = 0;
    double m_averageExecMs = 0.0;
    double m_executedCount = 0.0;
    int m_lastBatchSize = 0;
    int m_statsCapacity;

    int m_capacity;
    ConcurrentQueue<Command *> m_queue;
    QMutex m_enqueueMutex;
};
