#pragma once

#include <Command.h>

#include <QMultiMap>

// The audiogroups selected for deletion: instrument name to audiogroup name.
class RemoveAudiogroupCommandParameter : public CommandParameter
{
public:
    explicit RemoveAudiogroupCommandParameter(const QMultiMap<QString, QString> &selection);
    ~RemoveAudiogroupCommandParameter() override;

    QMultiMap<QString, QString> getSelection() const { return m_selection; }

private:
    QMultiMap<QString, QString> m_selection;
};
