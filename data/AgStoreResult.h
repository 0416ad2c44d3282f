#pragma once

#include "AgDataVector.h"

// Codes of a sample-batch insert besides 0 (stored) and -1 (no store, or an exception).
// The instrument passes them on to the main window's acquisition status.
constexpr int kStoreGapCode = 0x50100001;    // stored, but more than 500 ms after the newest
constexpr int kStoreFailedCode = 0x50100002; // nothing stored

// What one insert of a sample batch did: its code and the samples that are new to the file.
// The new samples are the batch's own, in its order and with the values the meter sent (the
// file keeps a NaN as the no-value marker); samples the file held already and samples with a
// time stamp it refuses are not among them.
class AgStoreResult
{
public:
    AgStoreResult() = default;
    explicit AgStoreResult(int code) : m_code(code) {}
    AgStoreResult(int code, AgDataVector newSamples);

    int getCode() const { return m_code; }
    // The new samples are in the file (a gap before them changes nothing about that).
    bool isStored() const { return m_code == 0 || m_code == kStoreGapCode; }
    bool isAfterGap() const { return m_code == kStoreGapCode; }
    const AgDataVector &getNewSamples() const { return m_newSamples; }

private:
    int m_code = 0;
    AgDataVector m_newSamples;
};
