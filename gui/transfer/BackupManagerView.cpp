#include "BackupManagerView.h"

#include <DialogStyles.h>
#include <GUIFactory.h>
#include <ScrollBarStyles.h>
#include <TextRoom.h>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSpacerItem>
#include <QTableView>

#include <algorithm>

namespace {

constexpr int kColumnWidths[BackupManagerTableViewModel::ColumnCount] = {166, 166, 166,
                                                                          166, 166, 164};

// The light button, its bottom and right edges lighter than its top and left.
const QString &buttonSheet()
{
    static const QString sheet =
        DialogStyles::lightPushButtonSheet() +
        QStringLiteral("\nQPushButton:!focus {border-right-color: rgba(0,0,0,60); "
                       "border-bottom-color: rgba(0,0,0,60);}");
    return sheet;
}

const QString &tableSheet()
{
    static const QString sheet = QStringLiteral(
        "QTableView {background-color: #464646; alternate-background-color: #4D4D4D; "
        "gridline-color: grey; color: white; border: none; outline: 0; "
        "font-family: Verdana; font-size: 11px; "
        "selection-background-color: rgba(0,0,0,95); selection-color: white;}\n"
        "QHeaderView::section {height: 40px; color: white; font-family: Verdana; "
        "font-size: 11px; font-weight: bold; border: none; border-right: 1px solid grey; "
        "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #383838, "
        "stop:1 #232323);}");
    return sheet;
}

QPushButton *addButton(QWidget *parent, const QString &name, const QString &text)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setText(text);
    QFont font(QStringLiteral("Verdana"), 10);
    font.setWeight(75);
    button->setFont(font);
    button->setStyleSheet(buttonSheet());
    return button;
}

} // namespace

BackupManagerView::BackupManagerView(ViewType type, QWidget *parent)
    : ABackupManagerView(type, parent), m_form(std::make_unique<Form>()), m_pleaseWait(nullptr)
{
    setupForm();
    // The buttons' slots follow the form's names.
    QMetaObject::connectSlotsByName(this);
}

BackupManagerView::~BackupManagerView() = default;

void BackupManagerView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    ABackupManagerView::keyPressEvent(event);
}

void BackupManagerView::registerCreator()
{
    GUIFactory::getInstance()->registerViewCreator(
        kViewTypeBackupManager,
        [](ViewType type) -> AView * { return new BackupManagerView(type, nullptr); });
}

void BackupManagerView::setupForm()
{
    Form &f = *m_form;
    setObjectName(QStringLiteral("BackupManagerView"));
    setWindowTitle(QStringLiteral("Form"));
    setWindowIcon(QIcon(QStringLiteral(":/gui/menubar/kiv_icon.png")));
    resize(kWidth, kHeight);
    setMinimumSize(kWidth, kHeight);
    setMaximumSize(kWidth, kHeight);

    f.gridLayout = new QGridLayout(this);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setSpacing(0);
    f.gridLayout->setContentsMargins(0, 0, 0, 0);

    f.widget = new QWidget(this);
    f.widget->setObjectName(QStringLiteral("widget"));
    f.widget->setMinimumSize(kWidth, kHeight);
    f.widget->setMaximumSize(kWidth, kHeight);
    f.widget->setStyleSheet(QStringLiteral("background-color: #464646;"));

    f.tableView = new QTableView(f.widget);
    f.tableView->setObjectName(QStringLiteral("tableView"));
    f.tableView->setGeometry(0, 0, kWidth, 641);
    f.tableView->setMinimumSize(kWidth, 611);
    f.tableView->setMaximumSize(kWidth, 700);
    f.tableView->setStyleSheet(tableSheet());

    f.layoutWidget = new QWidget(f.widget);
    f.layoutWidget->setObjectName(QStringLiteral("layoutWidget"));
    f.layoutWidget->setGeometry(0, 650, 1021, 37);
    f.horizontalLayout = new QHBoxLayout(f.layoutWidget);
    f.horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    f.horizontalLayout->setContentsMargins(0, 0, 0, 0);
    // The spacers give way when larger text widens the buttons.
    f.horizontalLayout->addItem(
        new QSpacerItem(105, 17, QSizePolicy::Maximum, QSizePolicy::Minimum));
    f.importAgButton = addButton(f.layoutWidget, QStringLiteral("importAgButton"), tr("IMPORT"));
    f.importAgButton->setFixedSize(350, 35);
    f.horizontalLayout->addWidget(f.importAgButton);
    f.pushButton = addButton(f.layoutWidget, QStringLiteral("pushButton"), tr("REFRESH"));
    f.pushButton->setFixedSize(75, 35);
    f.horizontalLayout->addWidget(f.pushButton);
    f.deleteAgButton = addButton(f.layoutWidget, QStringLiteral("deleteAgButton"), tr("DELETE"));
    f.deleteAgButton->setFixedSize(350, 35);
    f.horizontalLayout->addWidget(f.deleteAgButton);
    f.horizontalLayout->addItem(
        new QSpacerItem(105, 17, QSizePolicy::Maximum, QSizePolicy::Minimum));
    for (QPushButton *button : {f.importAgButton, f.pushButton, f.deleteAgButton})
        TextRoom::atLeast(button);

    f.gridLayout->addWidget(f.widget, 0, 0, 1, 1);
}

int BackupManagerView::initView()
{
    QTableView *table = m_form->tableView;
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setDefaultSectionSize(26);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setModel(&m_tableModel);
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { rememberChoice(); });
    // Where the user scrolls to wins over a top row still awaited.
    connect(table->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { m_pendingTop = RowKey(); });
    table->setAlternatingRowColors(true);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    applyVerticalScrollBarStyle(table->verticalScrollBar());
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWindowTitle(tr("Backup Manager"));
    setColumnWidths();
    return 0;
}

QTableView *BackupManagerView::tableView() const
{
    return m_form->tableView;
}

void BackupManagerView::setColumnWidths()
{
    for (int column = 0; column < BackupManagerTableViewModel::ColumnCount; ++column)
        m_form->tableView->setColumnWidth(column, kColumnWidths[column]);
}

QList<int> BackupManagerView::selectedRows() const
{
    QSet<int> rows;
    if (QItemSelectionModel *selection = m_form->tableView->selectionModel())
        for (const QModelIndex &index : selection->selectedIndexes())
            rows.insert(index.row());
    QList<int> sorted = rows.values();
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

QList<BackupItem> BackupManagerView::getSelectedItems() const
{
    QList<BackupItem> items;
    for (int row : selectedRows()) {
        BackupItem item;
        if (m_tableModel.getItem(row, item) == 0)
            items.append(item);
    }
    return items;
}

BackupManagerView::RowKey BackupManagerView::keyOfRow(int row) const
{
    BackupItem item;
    if (m_tableModel.getItem(row, item) != 0)
        return RowKey();
    return qMakePair(item.getName(), item.getFilePath());
}

void BackupManagerView::rememberChoice()
{
    if (m_restoring)
        return;
    QSet<RowKey> listed;
    for (int row = 0; row < m_tableModel.rowCount(); ++row)
        listed.insert(keyOfRow(row));
    QSet<RowKey> chosen;
    for (const RowKey &key : qAsConst(m_chosen))
        if (!listed.contains(key))
            chosen.insert(key);
    for (int row : selectedRows())
        chosen.insert(keyOfRow(row));
    m_chosen = chosen;
}

void BackupManagerView::forgetChoice()
{
    m_form->tableView->clearSelection();
    m_chosen.clear();
    m_pendingTop = RowKey();
}

int BackupManagerView::rowOfKey(const RowKey &key) const
{
    for (int row = 0; row < m_tableModel.rowCount(); ++row)
        if (keyOfRow(row) == key)
            return row;
    return -1;
}

void BackupManagerView::on_importAgButton_clicked()
{
    emit backupManagerImport(getSelectedItems());
}

void BackupManagerView::on_deleteAgButton_clicked()
{
    const QList<BackupItem> items = getSelectedItems();
    forgetChoice();
    emit backupManagerDelete(items);
}

void BackupManagerView::on_pushButton_clicked()
{
    forgetChoice();
    emit backupManagerRefresh();
}

void BackupManagerView::onHide()
{
    forgetChoice();
    hide();
}

void BackupManagerView::onShowPleaseWaitDialog(const QString &text)
{
    m_pleaseWait.setText(text);
    m_pleaseWait.show();
}

void BackupManagerView::onHidePleaseWaitDialog()
{
    m_pleaseWait.hide();
}

void BackupManagerView::onUpdateGUI(const BackupModel &model)
{
    QTableView *table = m_form->tableView;
    // The chosen backups and the one at the top, by backup: the new list may hold rows
    // before them that were not there.
    const int topRow = table->indexAt(QPoint(5, 0)).row();
    const RowKey topKey = m_pendingTop.first.isEmpty() ? keyOfRow(topRow) : m_pendingTop;

    m_restoring = true;
    m_tableModel.setBackupModel(model);
    setColumnWidths();

    QItemSelection selection;
    for (int row = 0; row < m_tableModel.rowCount() && !m_chosen.isEmpty(); ++row) {
        if (m_chosen.contains(keyOfRow(row)))
            selection.select(m_tableModel.index(row, 0),
                             m_tableModel.index(row, BackupManagerTableViewModel::ColumnCount - 1));
    }
    if (QItemSelectionModel *selectionModel = table->selectionModel())
        selectionModel->select(selection, QItemSelectionModel::ClearAndSelect);
    m_restoring = false;

    int newTop = topKey.first.isEmpty() ? -1 : rowOfKey(topKey);
    const bool found = newTop >= 0;
    if (!found)
        newTop = std::min(topRow, m_tableModel.rowCount() - 1);
    if (newTop >= 0) {
        // The scroll range of the new list first, or the scroll stops at the old one's end.
        table->doItemsLayout();
        table->scrollTo(m_tableModel.index(newTop, 0), QAbstractItemView::PositionAtTop);
    }
    // A step of the scan too short to scroll that far leaves an earlier row at the top: the
    // backup is still awaited there, or the next step would keep that earlier row.
    const bool placed = found && table->indexAt(QPoint(5, 0)).row() == newTop;
    m_pendingTop = placed ? RowKey() : topKey;
}
