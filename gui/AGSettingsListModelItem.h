#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// Names one row of the settings' audiogroup list: the instrument and the audiogroup's
// source name within it. Travels by value (also as a list) through queued signals.
class AGSettingsListModelItem
{
public:
    AGSettingsListModelItem();
    AGSettingsListModelItem(const QString &instrumentName, const QString &audiogroupName);
    AGSettingsListModelItem(const AGSettingsListModelItem &other);
    AGSettingsListModelItem &operator=(const AGSettingsListModelItem &other);
    ~AGSettingsListModelItem();

    QString getInstrumentName() const { return m_instrumentName; }
    QString getAudioGroupName() const { return m_audiogroupName; }

private:
    QString m_instrumentName;
    QString m_audiogroupName;
};

Q_DECLARE_METATYPE(AGSettingsListModelItem)
Q_DECLARE_METATYPE(QList<AGSettingsListModelItem>)
