#pragma once

#include "XmlSampleList.h"

#include <Command.h>

class AgDataVector;

// Samples parsed from a meter's XML export, for an audiogroup's import. The payload owns
// the samples until the handler takes them (setData(nullptr)), so a refused command
// frees them too. Or, without samples, where the import reads them from the file.
class DBXMLImportCommandParameter : public CommandParameter
{
public:
    DBXMLImportCommandParameter(int requestId, int sourceType, AgDataVector *data);
    DBXMLImportCommandParameter(int requestId, int sourceType, const XmlSampleList &list);
    ~DBXMLImportCommandParameter() override;
    DBXMLImportCommandParameter(const DBXMLImportCommandParameter &) = delete;
    DBXMLImportCommandParameter &operator=(const DBXMLImportCommandParameter &) = delete;

    int getRequestId() const { return m_requestId; }
    int getSourceType() const { return m_sourceType; }
    AgDataVector *getData() const { return m_data; }
    // Stores the pointer without freeing the one held: null hands the samples over.
    void setData(AgDataVector *data) { m_data = data; }
    // Meaningful when the command carries no samples.
    const XmlSampleList &getSampleList() const { return m_list; }

private:
    int m_requestId;
    int m_sourceType;
    AgDataVector *m_data;
    XmlSampleList m_list;
};
