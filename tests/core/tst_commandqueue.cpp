#include <Command.h>
#include <CommandQueue.h>
#include <KivTest.h>
#include <ORQLogging.h>

#include <QRegularExpression>
#include <QThread>

#include <atomic>
#include <functional>
#include <stdexcept>

namespace {

std::atomic<int> gPayloadsAlive{0};
std::atomic<int> gCommandsAlive{0};

struct CountedPayload : CommandParameter {
    explicit CountedPayload(int v = 0) : value(v) { ++gPayloadsAlive; }
    ~CountedPayload() override { --gPayloadsAlive; }
    int value;
};

struct CountedCommand : Command {
    CountedCommand(int type, CommandParameter *p = nullptr) : Command(type, p) { ++gCommandsAlive; }
    ~CountedCommand() override { --gCommandsAlive; }
};

// A queue whose handler is a function, like a controller's command table.
class TestQueue : public CommandQueue
{
public:
    explicit TestQueue(int capacity = 100) : CommandQueue(capacity) {}
    std::function<int(Command *)> handler = [](Command *) { return 0; };
    std::atomic<bool> accepting{true};
    QList<int> handledTypes;

    using CommandQueue::recordExecution;

protected:
    int handleCommand(Command *command) override
    {
        handledTypes.append(command->getType());
        return handler(command);
    }
    bool acceptsCommands() override { return accepting; }
    QString commandQueueName() const override { return QStringLiteral("TestController"); }
};

} // namespace

class TestCommandQueue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { KivTest::startLog(4); }

    void init()
    {
        QCOMPARE(gPayloadsAlive.load(), 0);
        QCOMPARE(gCommandsAlive.load(), 0);
    }

    void cleanup()
    {
        QCOMPARE(gPayloadsAlive.load(), 0);
        QCOMPARE(gCommandsAlive.load(), 0);
    }

    void refusesWhenFullAndDeletesTheRefused()
    {
        TestQueue queue(100);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(queue.enqueue(new CountedCommand(i, new CountedPayload(i))), 0);
        QCOMPARE(queue.enqueue(new CountedCommand(100, new CountedPayload(100))), -1);
        QCOMPARE(gPayloadsAlive.load(), 100);
        QCOMPARE(queue.queuedCount(), 100);
        queue.processCommands();
        QCOMPARE(queue.handledTypes.size(), 100);
        QCOMPARE(queue.handledTypes.first(), 0);
        QCOMPARE(queue.handledTypes.last(), 99);
        // Room again after the batch.
        QCOMPARE(queue.enqueue(new CountedCommand(7)), 0);
    }

    void refusesWhenNotAcceptingAndNull()
    {
        TestQueue queue;
        queue.accepting = false;
        QCOMPARE(queue.enqueue(new CountedCommand(1, new CountedPayload)), -1);
        QCOMPARE(gPayloadsAlive.load(), 0);
        QCOMPARE(queue.enqueue(nullptr), -1);
        queue.accepting = true;
        QCOMPARE(queue.enqueue(nullptr), -1);
        QCOMPARE(queue.queuedCount(), 0);
    }

    void throwingHandlerIsLoggedAndTheBatchGoesOn()
    {
        TestQueue queue;
        queue.handler = [](Command *c) -> int {
            if (c->getType() == 2)
                throw std::runtime_error("boom");
            return 0;
        };
        for (int type = 1; type <= 3; ++type)
            queue.enqueue(new CountedCommand(type, new CountedPayload));
        QCOMPARE(queue.processCommands(), 0);
        QCOMPARE(queue.handledTypes, QList<int>({1, 2, 3}));
        QCOMPARE(queue.getExecutedCount(), 2.0);
        QVERIFY(KivTest::readLog().contains("E:"));
        QVERIFY(KivTest::readLog().contains(
            "Exception when handling commands in TestController: boom\n"));
    }

    void commandsPostedDuringABatchRunInTheNext()
    {
        TestQueue queue;
        queue.handler = [&queue](Command *c) {
            if (c->getType() == 1)
                queue.enqueue(new CountedCommand(2));
            return 0;
        };
        queue.enqueue(new CountedCommand(1));
        queue.processCommands();
        QCOMPARE(queue.handledTypes, QList<int>({1}));
        QCOMPARE(queue.queuedCount(), 1);
        queue.processCommands();
        QCOMPARE(queue.handledTypes, QList<int>({1, 2}));
    }

    void statistics()
    {
        TestQueue queue;
        queue.recordExecution(10, 5);
        queue.recordExecution(11, 5);
        queue.recordExecution(12, 8);
        QCOMPARE(queue.getMaxExecutionMs(), 8);
        QCOMPARE(queue.getMaxExecutionCommandId(), 12);
        QCOMPARE(queue.getAverageExecutionMs(), 6.0);
        queue.recordExecution(13, 8);
        QCOMPARE(queue.getMaxExecutionCommandId(), 12);
        QCOMPARE(queue.getExecutedCount(), 4.0);
    }

    void highUsageLine_data()
    {
        QTest::addColumn<int>("batch");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<int>("lines");
        QTest::newRow("half is not high") << 50 << 4 << 0;
        QTest::newRow("51 of 100") << 51 << 4 << 51;
        QTest::newRow("threshold 3") << 51 << 3 << 0;
    }

    void highUsageLine()
    {
        QFETCH(int, batch);
        QFETCH(int, threshold);
        QFETCH(int, lines);
        ORQ::setLogLevel(threshold);
        const int before = KivTest::readLog().size();
        TestQueue queue(100);
        for (int i = 0; i < batch; ++i)
            queue.enqueue(new CountedCommand(i));
        queue.processCommands();
        ORQ::setLogLevel(4);
        const QByteArray added = KivTest::readLog().mid(before);
        QCOMPARE(added.count("Command queue high usage: "), lines);
        // The times are the machine's. The slowest command so far is named once one took a
        // millisecond or more (the commands' ids are 0 to batch - 1), else none (-1).
        const QRegularExpression line(
            QStringLiteral("Command queue high usage: %1/100; Average execution time: \\d+ ms; "
                           "Max execution: command with id (-?\\d+) executed in (\\d+) millis\n")
                .arg(batch));
        int matched = 0;
        QRegularExpressionMatchIterator it = line.globalMatch(QString::fromUtf8(added));
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            const int id = match.captured(1).toInt();
            if (match.captured(2).toInt() == 0)
                QCOMPARE(id, -1);
            else
                QVERIFY(id >= 0 && id < batch);
            ++matched;
        }
        QCOMPARE(matched, lines);
    }

    void clearAndDestructionDeleteWithoutRunning()
    {
        {
            TestQueue queue;
            for (int i = 0; i < 3; ++i)
                queue.enqueue(new CountedCommand(i, new CountedPayload));
            queue.clearCommands();
            QCOMPARE(gPayloadsAlive.load(), 0);
            QVERIFY(queue.handledTypes.isEmpty());
            queue.enqueue(new CountedCommand(5, new CountedPayload));
        }
        QCOMPARE(gPayloadsAlive.load(), 0);
    }

    void producersOnManyThreadsLoseNothing()
    {
        TestQueue queue(100);
        std::atomic<int> queued{0};
        std::atomic<bool> producing{true};
        QList<QThread *> producers;
        for (int t = 0; t < 4; ++t) {
            producers.append(QThread::create([&queue, &queued] {
                for (int i = 0; i < 2000; ++i) {
                    if (queue.enqueue(new CountedCommand(i, new CountedPayload)) == 0)
                        ++queued;
                }
            }));
            producers.last()->start();
        }
        QThread *consumer = QThread::create([&queue, &producing] {
            while (producing)
                queue.processCommands();
            queue.processCommands();
        });
        consumer->start();
        for (QThread *p : producers) {
            QVERIFY(p->wait(30000));
            delete p;
        }
        producing = false;
        QVERIFY(consumer->wait(30000));
        delete consumer;
        QCOMPARE(queue.handledTypes.size(), queued.load());
        QCOMPARE(gPayloadsAlive.load(), 0);
    }
};

KIV_TEST_MAIN(TestCommandQueue, QCoreApplication)
#include "tst_commandqueue.moc"
