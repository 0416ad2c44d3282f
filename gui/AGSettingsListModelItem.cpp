#include "AGSettingsListModelItem.h"

AGSettingsListModelItem::AGSettingsListModelItem() = default;

AGSettingsListModelItem::AGSettingsListModelItem(const QString &instrumentName,
                                                 const QString &audiogroupName)
    : m_instrumentName(instrumentName), m_audiogroupName(audiogroupName)
{
}

AGSettingsListModelItem::AGSettingsListModelItem(const AGSettingsListModelItem &other) = default;

AGSettingsListModelItem &
AGSettingsListModelItem::operator=(const AGSettingsListModelItem &other) = default;

AGSettingsListModelItem::~AGSettingsListModelItem() = default;
