#pragma once

#include "KivThread.h"

#include <QList>
#include <QMutex>
#include <QString>

class QTimer;

// What the janitor needs of a retired audiogroup; the acquisition layer implements it.
class ARetirableAudioGroup
{
public:
    virtual ~ARetirableAudioGroup();
    virtual QString getRetirableName() const = 0;
    virtual void stop() = 0;
    // Its controller thread is not running and its loop is created or finished.
    virtual bool isRetiredFinished() const = 0;
    // True when it owns objects that live on the GUI thread.
    virtual bool deleteOnGuiThread() const { return false; }
};

// What the janitor needs of a retired instrument.
class ARetirableInstrument
{
public:
    virtual ~ARetirableInstrument();
    virtual QList<ARetirableAudioGroup *> getRetirableAudioGroups() const = 0;
    // Takes the audiogroup out of the instrument; null when it holds none of that name.
    virtual ARetirableAudioGroup *takeRetirableAudioGroup(const QString &name) = 0;
    virtual void stop() = 0;
    virtual bool isRetiredFinished() const = 0;
    virtual bool deleteOnGuiThread() const { return false; }
};

// Deletes retired instruments and audiogroups once their threads have finished.
class SystemJanitor : public KivThread
{
    Q_OBJECT
public:
    explicit SystemJanitor(QObject *parent = nullptr);
    ~SystemJanitor() override;

    void retireInstrument(ARetirableInstrument *instrument);
    void retireAudioGroup(ARetirableAudioGroup *audioGroup);

    // Removes the connections and ends the event loop; the closer waits for the thread.
    void stopJanitor();

    int retiredInstrumentCount() const;
    int retiredAudioGroupCount() const;

public slots:
    void onDoCleanup();

protected:
    void loop() override;

private:
    void startCleanups();

    QTimer *m_timer;
    mutable QMutex m_mutex;
    QList<ARetirableInstrument *> m_instruments;
    QList<ARetirableAudioGroup *> m_audioGroups;
};
