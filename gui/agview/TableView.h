#pragma once

#include "KIVTableViewModel.h"

#include <AgConfig.h>
#include <InstrumentConfig.h>

#include <QSqlDatabase>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>

class AgDataVector;
class QTableView;
class TableViewVerticalScrollBar;

// The table page of the audiogroup window: one page of stored rows of the current zoom
// level, newest at the top, whose top row follows the plot's position. It reads the
// audiogroup's database file itself, through a read-only connection of its own on the GUI
// thread, while the audiogroup's store writes the same file.
class TableView : public QWidget
{
    Q_OBJECT
public:
    using Clock = std::function<qint64()>;

    // What the table reads of the audiogroup window's snapshot.
    struct Snapshot
    {
        int zoomLevel = 0;
        bool liveMode = false;
        qint64 visibleStart = 0; // left edge of the plot's span, ms since the epoch
        qint64 spanMs = 0;
        qint64 oldestTime = 0; // oldest and newest stored time of the zoom level, 0 unknown
        qint64 newestTime = 0;
        qint64 scrollPosition = -1;          // centre of the plot's span after oldestTime, ms
        AgDataVector *sampleBlock = nullptr; // released by updateTable
        InstrumentConfig instrumentConfig;
        AgConfig agConfig;
    };

    // Milliseconds the reader waits for the file while the store holds it locked.
    static constexpr int kBusyTimeoutMs = 1000;
    // Live rows are read again at most this often.
    static constexpr qint64 kLiveRefreshMs = 2000;

    explicit TableView(QWidget *parent, Clock clock = Clock());
    ~TableView() override;

    // frozen: the window is not in live mode. Queries again when the level, the table's
    // height or (while frozen) the scroll position changed, and live every 2000 ms. Takes
    // the snapshot's sample block over and deletes it.
    void updateTable(Snapshot data, bool frozen);
    // Drops the connection and the rows it gave; the file is free afterwards. Always true.
    bool closeConnection();
    TableViewVerticalScrollBar *getVerticalScrollBar() const;

    // Rows per page at the table's present height.
    int rowsPerPage() const;
    // The reference time of the page: the query reads the n rows at or before it plus
    // n + 1 sample intervals. 0 with no stored data; else within the stored range.
    qint64 computeTopRowTime(const Snapshot &data) const;
    QString buildQuery(qint64 referenceTime) const;

signals:
    void updateDateAndTimeSignal(const QString &date, const QString &time);

protected:
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Form;
    bool openConnection(const QString &instrumentName, const QString &sourceName);
    // Unregisters the connection name, after letting go of every handle on it.
    void dropConnection();
    void refresh(const Snapshot &data);
    void updateScrollRange(qint64 oldest, qint64 newest, qint64 position);
    void setHeaders(const QString &unit);
    void setColumnWidths();
    void emitDateAndTime();

    std::unique_ptr<Form> m_form;
    QSqlDatabase m_database;
    KIVTableViewModel m_model;
    qint64 m_lastQueryTime = 0;
    int m_level = 0;
    int m_lastHeight = -1;
    int m_lastScrollPosition = -1;
    QString m_connectionName;
    // Device and inode of the file the connection has open.
    std::pair<quint64, quint64> m_fileId{0, 0};
    Clock m_clock;
    bool m_queryErrorLogged = false;
};
