#include "ORQRepeatFilter.h"

#include <algorithm>
#include <chrono>

namespace ORQ {

CORQRepeatFilter::CORQRepeatFilter(Clock clock) : m_clock(std::move(clock))
{
    if (!m_clock) {
        m_clock = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
    }
}

std::string CORQRepeatFilter::withNote(const std::string &text, const std::string &note)
{
    // The note goes before the entry's own line break.
    std::string noted = text;
    const bool broken = !noted.empty() && noted.back() == '\n';
    if (broken)
        noted.pop_back();
    noted += note;
    if (broken)
        noted += '\n';
    return noted;
}

void CORQRepeatFilter::close(std::map<std::string, Seen>::iterator it, std::int64_t now,
                             std::vector<Entry> &out)
{
    const Seen &seen = it->second;
    if (seen.counted > 0)
        out.push_back(
            {seen.level, withNote(it->first, " (repeated " + std::to_string(seen.counted) +
                                                 " times, the last " +
                                                 std::to_string((now - seen.lastSeen) / 1000) +
                                                 " s ago; no longer seen)")});
    m_seen.erase(it);
}

void CORQRepeatFilter::closeQuiet(std::int64_t now, std::vector<Entry> &out)
{
    for (auto it = m_seen.begin(); it != m_seen.end();) {
        auto next = std::next(it);
        if (now - it->second.lastSeen > kWindowMs)
            close(it, now, out);
        it = next;
    }
}

std::vector<CORQRepeatFilter::Entry> CORQRepeatFilter::takeQuiet()
{
    std::vector<Entry> out;
    closeQuiet(m_clock(), out);
    return out;
}

std::vector<CORQRepeatFilter::Entry> CORQRepeatFilter::takeAll()
{
    std::vector<Entry> out;
    const std::int64_t now = m_clock();
    while (!m_seen.empty())
        close(m_seen.begin(), now, out);
    return out;
}

std::vector<CORQRepeatFilter::Entry> CORQRepeatFilter::admit(int level, const std::string &text)
{
    const std::int64_t now = m_clock();
    std::vector<Entry> out;
    closeQuiet(now, out);
    auto it = m_seen.find(text);
    if (it == m_seen.end()) {
        if (m_seen.size() >= kMaxTexts) {
            auto oldest =
                std::min_element(m_seen.begin(), m_seen.end(), [](const auto &a, const auto &b) {
                    return a.second.lastSeen < b.second.lastSeen;
                });
            close(oldest, now, out);
        }
        Seen seen;
        seen.level = level;
        seen.lastWritten = now;
        seen.lastSeen = now;
        m_seen.emplace(text, seen);
        out.push_back({level, text});
        return out;
    }
    Seen &seen = it->second;
    seen.lastSeen = now;
    if (now - seen.lastWritten < kWindowMs) {
        ++seen.counted;
        return out;
    }
    const std::int64_t repeats = seen.counted + 1;
    out.push_back(
        {level, withNote(text, " (" + std::to_string(repeats) + " times in the last " +
                                   std::to_string((now - seen.lastWritten) / 1000) + " s)")});
    seen.counted = 0;
    seen.lastWritten = now;
    return out;
}

} // namespace ORQ
