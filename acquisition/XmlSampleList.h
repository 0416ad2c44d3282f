#pragma once

#include <QString>
#include <QtGlobal>

// Where one audiogroup's samples lie in a meter's XML export, learnt by reading the file once:
// the import reads them from the file again, slice by slice, instead of holding them all.
struct XmlSampleList
{
    QString filePath;
    // The list's name, which the sample batches carry.
    QString name;
    // Ordinal of the list's "AGDataList" start tag among those the sample reader saw; -1 when
    // the file has no list of that name.
    int listStart = -1;
    qint64 count = 0;
    // Smallest and largest time stamp; 0 for a list without samples.
    qint64 firstTimestamp = 0;
    qint64 lastTimestamp = 0;
    // No sample is older than one before it in the file, so a forward read finds each slice.
    bool timeOrdered = true;
};
