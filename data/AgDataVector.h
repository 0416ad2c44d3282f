#pragma once

#include "AgData.h"

#include <QString>

#include <vector>

// A named batch of samples; the store fills one per range read, replies and imports
// build one per batch.
class AgDataVector
{
public:
    explicit AgDataVector(int zoomLevel = 0);
    AgDataVector(const QString &name, int zoomLevel);
    virtual ~AgDataVector();
    AgDataVector(const AgDataVector &) = default;
    AgDataVector(AgDataVector &&) = default;
    AgDataVector &operator=(const AgDataVector &) = default;
    AgDataVector &operator=(AgDataVector &&) = default;

    QString getName() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    int getZoomLevel() const { return m_zoomLevel; }

    void append(const AgData &sample) { m_samples.push_back(sample); }
    int size() const { return static_cast<int>(m_samples.size()); }
    bool isEmpty() const { return m_samples.empty(); }
    // Throws std::out_of_range for an index outside the vector.
    const AgData &at(int index) const;
    void reserve(int count);
    // Keeps the capacity.
    void clear() { m_samples.clear(); }
    const AgData &back() const { return m_samples.back(); }

    std::vector<AgData>::const_iterator begin() const { return m_samples.begin(); }
    std::vector<AgData>::const_iterator end() const { return m_samples.end(); }

private:
    QString m_name;
    std::vector<AgData> m_samples;
    int m_zoomLevel;
};
