#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

// Reads command lines from standard input inside the event loop of a tool. A job in the
// background of a terminal, or input that has ended, is no longer read.
class StdinCommands : public QObject
{
    Q_OBJECT
public:
    explicit StdinCommands(QObject *parent = nullptr);
    ~StdinCommands() override;

signals:
    void lineReceived(const QString &line);

private:
    void onActivated();

    QSocketNotifier m_notifier;
    QByteArray m_pending;
};
