#include "XMLZQDBImportSource.h"

#include "ZQExportParser.h"

#include <AgDataVector.h>
#include <ORQLogging.h>

#include <QFile>

#include <algorithm>

XMLZQDBImportSource::XMLZQDBImportSource(AgDataVector *samples)
    : ADBImportSource(2, QString()), m_samples(samples)
{
}

XMLZQDBImportSource::XMLZQDBImportSource(const XmlSampleList &list)
    : ADBImportSource(2, list.filePath), m_samples(nullptr), m_fromFile(true), m_list(list)
{
}

XMLZQDBImportSource::~XMLZQDBImportSource()
{
    delete m_samples;
}

int XMLZQDBImportSource::open()
{
    if (m_fromFile) {
        if (m_list.listStart < 0)
            return -1;
        if (m_list.count == 0) {
            m_firstTimestamp = 0;
            m_lastTimestamp = 0;
            return 0;
        }
        if (!m_list.timeOrdered) {
            KIV_LOG(4, "XML export: the samples of %s go back in time; reading them at once\n",
                    qUtf8Printable(m_list.name));
            if (!loadList())
                return -1;
            m_fromFile = false;
        } else {
            m_file = std::make_unique<QFile>(m_list.filePath);
            m_parser = std::make_unique<ZQExportParser>();
            if (!m_file->open(QIODevice::ReadOnly) ||
                !m_parser->startReading(
                    m_file.get(), m_list.listStart,
                    [this](const AgData &sample) { m_pending.push_back(sample); }))
                return -1;
            m_firstTimestamp = m_list.firstTimestamp;
            m_lastTimestamp = m_list.lastTimestamp;
            return 0;
        }
    }
    if (!m_samples)
        return -1;
    if (m_samples->isEmpty()) {
        m_firstTimestamp = 0;
        m_lastTimestamp = 0;
        return 0;
    }
    indexByTime();
    return 0;
}

bool XMLZQDBImportSource::loadList()
{
    QFile file(m_list.filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    auto samples = std::make_unique<AgDataVector>(m_list.name, 0);
    samples->reserve(static_cast<int>(m_list.count));
    ZQExportParser parser;
    AgDataVector *list = samples.get();
    if (!parser.startReading(&file, m_list.listStart,
                             [list](const AgData &sample) { list->append(sample); }))
        return false;
    while (!parser.atEnd())
        if (!parser.readMore())
            return false;
    delete m_samples;
    m_samples = samples.release();
    return true;
}

void XMLZQDBImportSource::indexByTime()
{
    const auto samples = m_samples->begin();
    m_byTime.resize(static_cast<size_t>(m_samples->size()));
    for (size_t i = 0; i < m_byTime.size(); ++i)
        m_byTime[i] = static_cast<int>(i);
    std::stable_sort(m_byTime.begin(), m_byTime.end(), [&samples](int a, int b) {
        return samples[a].getTimestamp() < samples[b].getTimestamp();
    });
    m_firstTimestamp = samples[m_byTime.front()].getTimestamp();
    m_lastTimestamp = samples[m_byTime.back()].getTimestamp();
}

AgDataVector *XMLZQDBImportSource::readStreamed(qint64 from, qint64 to, int *error)
{
    // Slices come in time order; one asked again (a failed store) finds its samples still
    // here, since only those before its start are let go.
    while (!m_pending.empty() && m_pending.front().getTimestamp() < from)
        m_pending.pop_front();
    while (!m_parser->atEnd() && (m_pending.empty() || m_pending.back().getTimestamp() <= to)) {
        if (!m_parser->readMore()) {
            *error = -1;
            return nullptr;
        }
    }
    auto *slice = new AgDataVector(m_list.name, 0);
    for (const AgData &sample : m_pending) {
        if (sample.getTimestamp() > to)
            break;
        slice->append(sample);
    }
    *error = 0;
    return slice;
}

AgDataVector *XMLZQDBImportSource::readData(qint64 from, qint64 to, int *error)
{
    if (m_fromFile && m_parser)
        return readStreamed(from, to, error);
    if (!m_samples) {
        *error = -1;
        return nullptr;
    }
    const auto samples = m_samples->begin();
    auto *slice = new AgDataVector(m_samples->getName(), 0);
    if (m_byTime.size() != static_cast<size_t>(m_samples->size())) {
        // Not opened through open(): read the plain way.
        for (const AgData &sample : *m_samples) {
            if (sample.getTimestamp() >= from && sample.getTimestamp() <= to)
                slice->append(sample);
        }
        *error = 0;
        return slice;
    }
    const auto first = std::lower_bound(
        m_byTime.begin(), m_byTime.end(), from,
        [&samples](int index, qint64 value) { return samples[index].getTimestamp() < value; });
    const auto last = std::upper_bound(
        first, m_byTime.end(), to,
        [&samples](qint64 value, int index) { return value < samples[index].getTimestamp(); });
    // The window in the order of the file.
    std::vector<int> window(first, last);
    std::sort(window.begin(), window.end());
    slice->reserve(static_cast<int>(window.size()));
    for (int index : window)
        slice->append(samples[index]);
    *error = 0;
    return slice;
}

qint64 XMLZQDBImportSource::getFirstTimestamp(int *error)
{
    *error = 0;
    return m_firstTimestamp;
}

qint64 XMLZQDBImportSource::getLastTimestamp(int *error)
{
    *error = 0;
    return m_lastTimestamp;
}
