#pragma once

#include <QMutex>
#include <QObject>
#include <QString>

class AGenerateReportView;

// The progress dialog of a database import. The import operation runs on the system
// controller's thread and reaches the dialog only through the queued signals here.
class DBImportViewController : public QObject
{
    Q_OBJECT
public:
    DBImportViewController();
    ~DBImportViewController() override;

    // GUI thread, at system start: builds the dialog; -1 when it could not be made.
    int init();

    // Any thread: shows the dialog with the text, the Cancel button shown or not, and the
    // progress (value -1 of total 0: the busy bar). The key comes back with a Cancel.
    void updateProgress(int cancelKey, const QString &text, bool cancelVisible, qlonglong value,
                        qlonglong total);
    void hideProgress();

    int getCancelKey() const;
    AGenerateReportView *getView() const { return m_view; }

signals:
    void show();
    void hide();
    void updateUi(const QString &text, bool cancelVisible, qlonglong value, qlonglong total);

public slots:
    void onCancelButtonClick();

private:
    mutable QMutex m_mutex;
    AGenerateReportView *m_view = nullptr;
    int m_cancelKey = 0;
};
