#pragma once

#include <QMap>
#include <QMultiMap>
#include <QMutex>
#include <QObject>
#include <QString>

class AView;

// Runs the manual reports one after the other and shows their progress.
class GenerateReportViewController : public QObject
{
    Q_OBJECT
public:
    GenerateReportViewController();
    ~GenerateReportViewController() override;

    // GUI thread: obtains the report dialog.
    void init();
    void stop();
    bool isBusy() const;
    // Instrument name -> audiogroup name, the period in ms.
    void startMonitoring(const QMultiMap<QString, QString> &reports, qint64 durationMs);
    void onReportTaskFinished(const QString &nameKey, bool converted, bool failed,
                              const QString &message);

signals:
    void show();
    void hide();

private:
    mutable QMutex m_mutex;
    AView *m_view = nullptr;
    bool m_busy = false;
    QMap<QString, QString> m_results; // name key -> message, once finished
};
