#include "TableView.h"

#include "FormHelpers.h"
#include "TableViewVerticalScrollBar.h"

#include <AgDataVector.h>
#include <KivTypes.h>
#include <KivUtils.h>
#include <ORQLogging.h>
#include <ScrollBarStyles.h>

#include <QCoreApplication>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QWheelEvent>

#include <sys/stat.h>

namespace {

constexpr int kRowHeight = 26;
// The heading row (40 px) and what lies around the rows.
constexpr int kHeadingAllowance = 60;
constexpr int kMinimumRows = 20;

const char *const kTableSheet =
    "\nQTableView\n{\nalternate-background-color: #4D4D4D;\nbackground-color: #464646;\n"
    "gridline-color: gray;\ncolor : white;\nborder: none;\n}\n\nQHeaderView::section \n{ \n"
    "height: 40px; \nbackground-color:qlineargradient(spread:pad, x1:0, y1:1, x2:0, y2:0, stop:0 "
    "#383838, stop:1 #232323);\nborder:0px;\ncolor: white;\nfont: bold 11px;\nfont-family: "
    "Verdana;\n}\n\nQTableView::item \n{\n}\n\nQTableView::item:selected \n{\n     background: "
    "rgba(0,0,0,95);\n     color: white;\n} \n\nQTableView::item:focus \n{\n\toutline: 0px;\n}"
    "\n\nQTableView::item:hover \n{\n}\n\nQTableView::item:selected:hover \n{\n}\n\n"
    "QAbstractItemView { outline: 0px;}";

// Section, header text (%1 the loudness unit) and width; width 0 hides the column.
struct Column
{
    int section;
    const char *header;
    int width;
};
const Column kColumns[] = {
    {0, QT_TRANSLATE_NOOP("TableView", "Time \n(TC)"), 206},
    {1, QT_TRANSLATE_NOOP("TableView", "Timecode"), 0},
    {2, QT_TRANSLATE_NOOP("TableView", "Program ID"), 153},
    {3, QT_TRANSLATE_NOOP("TableView", "Truepeak\n(dBTP)"), 115},
    {4, QT_TRANSLATE_NOOP("TableView", "TPmax\n(dBTP)"), 115},
    {5, QT_TRANSLATE_NOOP("TableView", "M100ms\n(%1)"), 0},
    {6, QT_TRANSLATE_NOOP("TableView", "Momentary\n(%1)"), 115},
    {7, QT_TRANSLATE_NOOP("TableView", "Mmax\n(%1)"), 115},
    {8, QT_TRANSLATE_NOOP("TableView", "Shortterm\n(%1)"), 115},
    {9, QT_TRANSLATE_NOOP("TableView", "Smax\n(%1)"), 115},
    {10, QT_TRANSLATE_NOOP("TableView", "Integrated\n(%1)"), 115},
    {11, QT_TRANSLATE_NOOP("TableView", "LRA\n(LU)"), 115},
    {12, nullptr, 115},
};

// A level outside the table's range still gets an interval; its table does not exist,
// so the query only fails.
qint64 sampleIntervalMs(int level)
{
    return isZoomLevel(level) ? zoomLevelToSampleIntervalMs(level) : 100;
}

} // namespace

struct TableView::Form
{
    QGridLayout *gridLayout = nullptr;
    QTableView *tableView = nullptr;
    TableViewVerticalScrollBar *verticalScrollBar = nullptr;
};

TableView::TableView(QWidget *parent, Clock clock)
    : QWidget(parent), m_form(std::make_unique<Form>()),
      m_clock(clock ? std::move(clock) : Clock(currentUtcMSecs))
{
    Form &f = *m_form;
    setObjectName(QStringLiteral("TableView"));
    resize(813, 602);
    setMinimumSize(0, 602);
    setMaximumSize(16777215, 16777215);
    f.gridLayout = makeFormGrid(this, "gridLayout", QLayout::SetDefaultConstraint);

    f.tableView = new QTableView(this);
    f.tableView->setObjectName(QStringLiteral("tableView"));
    f.tableView->setMinimumSize(718, 602);
    f.tableView->setMaximumSize(16777215, 16777215);
    f.tableView->setStyleSheet(QLatin1String(kTableSheet));
    f.tableView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    f.tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    f.tableView->setAlternatingRowColors(true);
    f.tableView->setGridStyle(Qt::SolidLine);
    f.tableView->setCornerButtonEnabled(false);
    f.tableView->verticalHeader()->setMinimumSectionSize(0);
    f.gridLayout->addWidget(f.tableView, 0, 0);

    f.verticalScrollBar = new TableViewVerticalScrollBar(this);
    f.verticalScrollBar->setObjectName(QStringLiteral("verticalScrollBar"));
    f.verticalScrollBar->setMinimumSize(30, 0);
    f.verticalScrollBar->setMaximumSize(30, 16777215);
    f.gridLayout->addWidget(f.verticalScrollBar, 0, 1);
    setWindowTitle(tr("Form"));

    f.tableView->verticalHeader()->hide();
    f.tableView->horizontalHeader()->setStretchLastSection(true);
    f.tableView->verticalHeader()->setDefaultSectionSize(kRowHeight);
    applyHorizontalScrollBarStyle(f.tableView->horizontalScrollBar());
    // Qt hands a wheel event that the rows cannot use to no one: it must be taken before.
    f.tableView->viewport()->installEventFilter(this);
}

TableView::~TableView()
{
    closeConnection();
}

TableViewVerticalScrollBar *TableView::getVerticalScrollBar() const
{
    return m_form->verticalScrollBar;
}

int TableView::rowsPerPage() const
{
    return qMax(kMinimumRows, (m_form->tableView->height() - kHeadingAllowance) / kRowHeight);
}

qint64 TableView::computeTopRowTime(const Snapshot &data) const
{
    const qint64 oldest = data.oldestTime;
    const qint64 newest = data.newestTime;
    if (newest == oldest)
        return 0;
    if (newest < oldest)
        return oldest;
    const qint64 rowSpan = sampleIntervalMs(data.zoomLevel) * (rowsPerPage() - 1);
    qint64 position = data.visibleStart + data.spanMs;
    if (!data.liveMode)
        position -= data.spanMs / 2;
    position = qBound(oldest, position, newest);
    // The product outgrows 64 bits once the stored range spans about 35 days.
    const qint64 range = newest - oldest;
    const __int128 offset = __int128(position - oldest) * (range - rowSpan) / range;
    return qBound(oldest, qint64(oldest + rowSpan + offset), newest);
}

QString TableView::buildQuery(qint64 referenceTime) const
{
    const int rows = rowsPerPage();
    return QStringLiteral("SELECT * FROM %1 WHERE timestamp <= %2 ORDER BY timestamp DESC LIMIT %3")
        .arg(agDataZoomLevelTableName(m_level))
        .arg(referenceTime + (rows + 1) * sampleIntervalMs(m_level))
        .arg(rows);
}

void TableView::updateScrollRange(qint64 oldest, qint64 newest, qint64 position)
{
    TableViewVerticalScrollBar *bar = m_form->verticalScrollBar;
    const qint64 page = rowsPerPage() * sampleIntervalMs(m_level);
    bar->setMinimum64(0);
    bar->setMaximum64(newest - oldest + 1);
    bar->setPageStep64(page);
    bar->setSingleStep64(page);
    bar->setPosition(position);
}

bool TableView::openConnection(const QString &instrumentName, const QString &sourceName)
{
    // A file removed or replaced under the program is made again in its place: a connection
    // to the removed one would show its rows for good.
    auto fileId = [](const QString &path) {
        struct stat info;
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
            return std::pair<quint64, quint64>(0, 0);
        return std::pair<quint64, quint64>(info.st_dev, info.st_ino);
    };
    if (m_database.isOpen() && fileId(m_database.databaseName()) == m_fileId)
        return true;
    closeConnection();
    m_form->tableView->setModel(&m_model);
    // A failed earlier attempt left its registration behind.
    dropConnection();
    m_connectionName =
        QStringLiteral("TableViewConnection_%1").arg(agDbFileName(instrumentName, sourceName));
    m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    // Read-only, so a missing file is never created (the store would adopt an empty one),
    // and the store's writes are never blocked by a lock of this connection.
    m_database.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    m_database.setDatabaseName(getAgDbFilePath(instrumentName, sourceName));
    m_fileId = fileId(m_database.databaseName());
    return m_database.open();
}

void TableView::dropConnection()
{
    // The model's statement belongs to the connection's driver: it must go while the driver
    // exists, and not again once the connection is gone.
    if (!m_database.isValid())
        return;
    m_model.clear();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool TableView::closeConnection()
{
    if (m_database.isOpen()) {
        m_model.clear();
        m_database.close();
    }
    dropConnection();
    return true;
}

void TableView::refresh(const Snapshot &data)
{
    const qint64 referenceTime = computeTopRowTime(data);
    if (!openConnection(data.instrumentConfig.getName(), data.agConfig.getName())) {
        if (!m_queryErrorLogged)
            KIV_LOG(4, "Cannot TableView database! %s (%s)\n",
                    qUtf8Printable(m_database.databaseName()),
                    qUtf8Printable(m_database.lastError().text()));
        m_queryErrorLogged = true;
    }
    const qint64 position =
        data.liveMode ? data.newestTime - data.oldestTime + 1 : data.scrollPosition;
    updateScrollRange(data.oldestTime, data.newestTime, position);

    if (!m_database.isOpen()) {
        // A query on a closed connection only warns again at every refresh.
        m_model.clear();
    } else {
        m_model.setQuery(buildQuery(referenceTime), m_database);
        // Every row is fetched, so the driver resets the statement and this connection holds
        // no read lock between refreshes.
        while (m_model.canFetchMore())
            m_model.fetchMore();
        if (m_model.lastError().isValid()) {
            if (!m_queryErrorLogged)
                KIV_LOG(3, "TableView cannot read %s: %s\n",
                        qUtf8Printable(m_database.databaseName()),
                        qUtf8Printable(m_model.lastError().text()));
            m_queryErrorLogged = true;
        } else {
            m_queryErrorLogged = false;
        }
    }
    emitDateAndTime();
    setColumnWidths();
    setHeaders(data.agConfig.getLoudnessUnit());
}

void TableView::updateTable(Snapshot data, bool frozen)
{
    QTableView *table = m_form->tableView;
    const int newLevel = data.zoomLevel;
    const int height = table->height();
    const int position = int(quint32(quint64(data.scrollPosition) & 0xffffffffu));
    const bool changed = newLevel != m_level || height != m_lastHeight ||
                         (frozen && position != m_lastScrollPosition);
    table->setSelectionMode(frozen ? QAbstractItemView::ExtendedSelection
                                   : QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    const qint64 now = m_clock();
    if (changed) {
        m_lastScrollPosition = position;
        m_level = newLevel;
        m_lastHeight = height;
        m_lastQueryTime = 0;
        refresh(data);
    } else if (!frozen && now - m_lastQueryTime >= kLiveRefreshMs) {
        refresh(data);
        m_lastQueryTime = now;
    }
    delete data.sampleBlock;
}

void TableView::emitDateAndTime()
{
    const int rows = m_model.rowCount();
    if (rows == 0)
        return;
    const qint64 top = m_model.record(0).value(0).toLongLong();
    const qint64 bottom = m_model.record(rows - 1).value(0).toLongLong();
    QString topDate, topTime, bottomDate, bottomTime;
    msToDateTimeStrings(top, topDate, topTime);
    msToDateTimeStrings(bottom, bottomDate, bottomTime);
    const QString time = tr("Time: %1-%2").arg(topTime, bottomTime);
    const QString date = topDate == bottomDate ? tr("Date: %1").arg(topDate)
                                               : tr("Date: %1-%2").arg(topDate, bottomDate);
    emit updateDateAndTimeSignal(date, time);
}

void TableView::setColumnWidths()
{
    QTableView *table = m_form->tableView;
    // The time column's width was chosen for a narrower font: where the installed font is
    // wider, it grows so that the timecode in parentheses stays readable.
    const int timeWidth =
        table->fontMetrics().horizontalAdvance(QStringLiteral("0000.00.00 00:00:00 (00:00:00)")) +
        16;
    for (const Column &column : kColumns) {
        const int width = column.section == 0 ? qMax(column.width, timeWidth) : column.width;
        table->setColumnWidth(column.section, width);
        table->setColumnHidden(column.section, width == 0);
    }
}

void TableView::setHeaders(const QString &unit)
{
    for (const Column &column : kColumns) {
        if (!column.header)
            continue;
        QString text = QString::fromLatin1(column.header);
        if (text.contains(QLatin1String("%1")))
            text = text.arg(unit);
        m_model.setHeaderData(column.section, Qt::Horizontal,
                              QCoreApplication::translate("TableView", qPrintable(text)),
                              Qt::EditRole);
    }
}

void TableView::wheelEvent(QWheelEvent *event)
{
    m_form->verticalScrollBar->wheelEvent(event);
}

bool TableView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel && watched == m_form->tableView->viewport()) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        // A sideways wheel still moves the columns.
        if (qAbs(wheel->angleDelta().y()) >= qAbs(wheel->angleDelta().x())) {
            wheelEvent(wheel);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
