#include "AgList.h"

#include "AgListItem.h"

#include <QListWidgetItem>
#include <QResizeEvent>

AgList::AgList(QWidget *parent) : QListWidget(parent) {}

AgList::~AgList()
{
    // Taking the items out changes the selection; nobody may hear of it any more.
    blockSignals(true);
    // The rows own their list items: take the items out first, so that the list does not
    // delete them as well.
    for (AgListItem *row : qAsConst(m_rows)) {
        takeItem(QListWidget::row(row->getListWidgetItem()));
        row->deleteLater();
    }
    m_rows.clear();
}

void AgList::updateConfig(const SystemConfig &config)
{
    m_systemConfig = config;
    syncRows();
    renumberRows();
}

void AgList::showLoggingChoices()
{
    for (AgListItem *row : qAsConst(m_rows))
        row->showLoggingChoice();
}

void AgList::syncRows()
{
    for (const InstrumentConfig &instrument : m_systemConfig.getInstruments()) {
        for (const AgConfig &ag : instrument.getAgConfigs()) {
            if (AgListItem *row = findAudioGroupItem(instrument.getName(), ag.getName()))
                row->setConfigs(instrument, ag);
            else
                addAudioGroup(instrument, ag);
        }
    }
    for (int i = 0; i < m_rows.size();) {
        AgListItem *row = m_rows.at(i);
        if (m_systemConfig.hasAgConfig(row->getInstrumentName(), row->getAgSourceName()))
            ++i;
        else
            removeAudioGroup(row->getInstrumentName(), row->getAgSourceName());
    }
}

void AgList::renumberRows()
{
    for (int i = 0; i < m_rows.size(); ++i) {
        m_rows.at(i)->setIndex(i + 1);
        m_rows.at(i)->updateUi();
    }
    resizeEvent(nullptr);
}

void AgList::applyStatusLights(const QList<StatusLightDescription> &descriptions)
{
    for (const StatusLightDescription &description : descriptions) {
        if (AgListItem *row = findAudioGroupItem(description.instrumentName,
                                                 description.agSourceName))
            row->setStatusLightDescription(description);
    }
}

QMultiMap<QString, QString> AgList::getSelectedAudioGroups() const
{
    // Of equal keys a multi-map yields the latest inserted first: inserting from the last
    // row makes the map follow the rows.
    QMultiMap<QString, QString> selection;
    for (int i = m_rows.size() - 1; i >= 0; --i) {
        QListWidgetItem *item = m_rows.at(i)->getListWidgetItem();
        if (item->listWidget() && item->isSelected())
            selection.insert(m_rows.at(i)->getInstrumentName(), m_rows.at(i)->getAgSourceName());
    }
    return selection;
}

int AgList::rowOf(const QString &instrumentName, const QString &sourceName) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        const AgListItem *row = m_rows.at(i);
        if (row->getInstrumentName() == instrumentName && row->getAgSourceName() == sourceName)
            return i;
    }
    return -1;
}

bool AgList::containsAudioGroup(const QString &instrumentName, const QString &sourceName) const
{
    return rowOf(instrumentName, sourceName) >= 0;
}

AgListItem *AgList::findAudioGroupItem(const QString &instrumentName,
                                       const QString &sourceName) const
{
    const int i = rowOf(instrumentName, sourceName);
    return i >= 0 ? m_rows.at(i) : nullptr;
}

void AgList::addAudioGroup(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig)
{
    auto *row = new AgListItem(instrumentConfig, agConfig, m_rows.size() + 1);
    m_rows.append(row);
    insertItem(m_rows.size() - 1, row->getListWidgetItem());
    setItemWidget(row->getListWidgetItem(), row);
    connect(row, &AgListItem::showAgView, this, &AgList::showAgView);
    connect(row, &AgListItem::onResetAgViolationStatus, this, &AgList::onResetAgViolationStatus);
    connect(row, &AgListItem::onResetAgAcquisitionStatus, this,
            &AgList::onResetAgAcquisitionStatus);
}

void AgList::removeAudioGroup(const QString &instrumentName, const QString &sourceName)
{
    const int i = rowOf(instrumentName, sourceName);
    if (i < 0)
        return;
    AgListItem *row = m_rows.takeAt(i);
    removeItemWidget(row->getListWidgetItem());
    takeItem(i);
    // Only the row's forwarding: Qt's own watchers of the row (the style sheet caches
    // among them) must still hear of its destruction.
    disconnect(row, nullptr, this, nullptr);
    row->deleteLater();
}

void AgList::resizeEvent(QResizeEvent *event)
{
    if (event)
        QListWidget::resizeEvent(event);
    for (AgListItem *row : qAsConst(m_rows))
        row->resizeToWidth(width());
}
