#pragma once

#include "ADBImportSource.h"

#include <XmlSampleList.h>

#include <deque>
#include <memory>
#include <vector>

class AgData;
class QFile;
class ZQExportParser;

// Serves the samples of a meter's XML export, in the order of the file: either samples
// parsed beforehand, or the samples of one list read from the file as the slices are asked
// for, so that only a slice's samples are held.
class XMLZQDBImportSource : public ADBImportSource
{
public:
    // Takes ownership of the samples (null: a file without a list for the audiogroup).
    explicit XMLZQDBImportSource(AgDataVector *samples);
    // Reads the list from its file (listStart -1: the file has no list for the audiogroup).
    explicit XMLZQDBImportSource(const XmlSampleList &list);
    ~XMLZQDBImportSource() override;

protected:
    int open() override;
    AgDataVector *readData(qint64 from, qint64 to, int *error) override;
    qint64 getFirstTimestamp(int *error) override;
    qint64 getLastTimestamp(int *error) override;

private:
    void indexByTime();
    // Reads the whole list from the file into m_samples: for a list whose time stamps go
    // back, where a slice may take samples from anywhere in the file.
    bool loadList();
    AgDataVector *readStreamed(qint64 from, qint64 to, int *error);

    AgDataVector *m_samples;
    // Positions in the file, ordered by time stamp (stable), so that a window is found
    // without scanning every sample of a long file.
    std::vector<int> m_byTime;
    qint64 m_firstTimestamp = -1;
    qint64 m_lastTimestamp = -1;

    bool m_fromFile = false;
    XmlSampleList m_list;
    std::unique_ptr<QFile> m_file;
    std::unique_ptr<ZQExportParser> m_parser;
    // Samples read from the file and not yet behind the slices asked for, in file order.
    std::deque<AgData> m_pending;
};
