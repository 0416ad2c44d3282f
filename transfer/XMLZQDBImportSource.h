#pragma once

#include "ADBImportSource.h"

#include <vector>

// Serves the samples parsed from a meter's XML export, in the order of the file.
class XMLZQDBImportSource : public ADBImportSource
{
public:
    // Takes ownership of the samples (null: a file without a list for the audiogroup).
    explicit XMLZQDBImportSource(AgDataVector *samples);
    ~XMLZQDBImportSource() override;

protected:
    int open() override;
    AgDataVector *readData(qint64 from, qint64 to, int *error) override;
    qint64 getFirstTimestamp(int *error) override;
    qint64 getLastTimestamp(int *error) override;

private:
    AgDataVector *m_samples;
    // Positions in the file, ordered by time stamp (stable), so that a window is found
    // without scanning every sample of a long file.
    std::vector<int> m_byTime;
    qint64 m_firstTimestamp = -1;
    qint64 m_lastTimestamp = -1;
};
