#pragma once

#include "StatusLightDescription.h"

#include <SystemConfig.h>

#include <QList>
#include <QListWidget>
#include <QMultiMap>
#include <QVector>

class AgListItem;

// The main window's list: one row per configured audiogroup, kept in step with the
// configuration it is given. Rows keep their places across updates; new audiogroups are
// appended, removed ones close their gap, and the rows are numbered 1..n.
class AgList : public QListWidget
{
    Q_OBJECT
public:
    explicit AgList(QWidget *parent);
    ~AgList() override;

    // Adds, refreshes, removes and renumbers the rows.
    void updateConfig(const SystemConfig &config);
    // Every row's logging box as its configuration has it.
    void showLoggingChoices();
    // Gives every row its record; records without a row are ignored.
    void applyStatusLights(const QList<StatusLightDescription> &descriptions);
    // Instrument name to source name of the selected rows; iterating it follows the rows.
    QMultiMap<QString, QString> getSelectedAudioGroups() const;

    bool containsAudioGroup(const QString &instrumentName, const QString &sourceName) const;
    AgListItem *findAudioGroupItem(const QString &instrumentName,
                                   const QString &sourceName) const;
    void addAudioGroup(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig);
    void removeAudioGroup(const QString &instrumentName, const QString &sourceName);
    void syncRows();
    void renumberRows();

    const QVector<AgListItem *> &getRows() const { return m_rows; }

signals:
    void showAgView(const QString &instrumentName, const QString &agName);
    void onResetAgViolationStatus(const QString &instrumentName, const QString &agName);
    void onResetAgAcquisitionStatus(const QString &instrumentName, const QString &agName);

protected slots:
    // Every row takes the list's width less 34 px; a null event only resizes the rows.
    void resizeEvent(QResizeEvent *event) override;

private:
    int rowOf(const QString &instrumentName, const QString &sourceName) const;

    QVector<AgListItem *> m_rows;
    SystemConfig m_systemConfig;
};
