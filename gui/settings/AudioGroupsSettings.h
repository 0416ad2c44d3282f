#pragma once

#include <AGSettingsListModelItem.h>
#include <AgConfig.h>

#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

class AlarmThreshold;
class AlarmThresholdSet;
class NUVListWidget;
class QLabel;

// The AUDIOGROUPS page: the list of every audiogroup at the left, the alarm settings of the
// selected one at the right. It holds the one audiogroup it shows and hands its edits back
// before it asks for another, so moving through the list loses nothing.
class AudioGroupsSettings : public QWidget
{
    Q_OBJECT
public:
    explicit AudioGroupsSettings(QWidget *parent);
    ~AudioGroupsSettings() override;

    // Writes what the threshold set shows into the held configuration; a field without a
    // number gets its default, in the field too.
    void retrieveAgConfig();

    AlarmThresholdSet *getAlarmThresholdSet() const;
    NUVListWidget *getListWidget() const;

signals:
    void AudioGroupSelected(const QString &instrumentName, const QString &agName);
    void AgSettingsDidChange(const AgConfig &config, const QString &instrumentName);

public slots:
    void onUpdateAudioGroupSettingsList(const QList<AGSettingsListModelItem> &items);
    void onPopulateAudioGroupSettings(const AgConfig &config, const QString &instrumentName);
    void onAgSettingsElementClick(int row);
    void onRetrieveAudioGroupSettings();

private:
    struct Form
    {
        QWidget *widget = nullptr;
        QLabel *label = nullptr;
        AlarmThresholdSet *alarmThresholdSet = nullptr;
        NUVListWidget *agListWidget = nullptr;
    };
    void setupForm();
    // Writes the default back into a field that holds no number.
    void retrieveThreshold(AlarmThreshold &shown, bool main);

    std::unique_ptr<Form> m_form;
    QList<AGSettingsListModelItem> m_items;
    AgConfig m_agConfig;
    // Empty while no audiogroup is shown.
    QString m_instrumentName;
};
