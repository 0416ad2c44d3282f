#include "RemoveAudiogroupCommandParameter.h"

RemoveAudiogroupCommandParameter::RemoveAudiogroupCommandParameter(
    const QMultiMap<QString, QString> &selection)
    : m_selection(selection)
{
}

RemoveAudiogroupCommandParameter::~RemoveAudiogroupCommandParameter() = default;
