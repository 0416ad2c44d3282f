#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ORQ {

// Keeps a failure that repeats from flooding the log: the first entry of a text is written,
// its repeats within a minute are only counted, at most one entry a minute carries their
// number, and one more says so when the text stopped coming. Entries are the same when their
// texts are; the time is not part of the text. Not thread-safe: the logger's mutex covers it.
class CORQRepeatFilter
{
public:
    // Milliseconds on a steady clock.
    using Clock = std::function<std::int64_t()>;
    struct Entry
    {
        int level;
        std::string text;
    };

    static constexpr std::int64_t kWindowMs = 60000;
    // Beyond this many texts the one seen longest ago is closed early.
    static constexpr std::size_t kMaxTexts = 1000;

    explicit CORQRepeatFilter(Clock clock = Clock());

    // What to write for this entry now: repeats of texts that stopped coming, then this
    // entry (with its count) unless it is a repeat within the minute.
    std::vector<Entry> admit(int level, const std::string &text);
    // The closing entries of texts that stopped coming, for an entry that is not counted.
    std::vector<Entry> takeQuiet();
    // The counts of every text not yet written, for the end of the process.
    std::vector<Entry> takeAll();

private:
    struct Seen
    {
        int level = 0;
        std::int64_t lastWritten = 0;
        std::int64_t lastSeen = 0;
        std::int64_t counted = 0; // repeats since the last written entry
    };

    static std::string withNote(const std::string &text, const std::string &note);
    void closeQuiet(std::int64_t now, std::vector<Entry> &out);
    void close(std::map<std::string, Seen>::iterator it, std::int64_t now, std::vector<Entry> &out);

    Clock m_clock;
    std::map<std::string, Seen> m_seen;
};

} // namespace ORQ
