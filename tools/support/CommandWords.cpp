#include "CommandWords.h"

CommandWords::CommandWords(const QString &line)
    : m_words(line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts))
{
}

int CommandWords::integer(int index, int fallback)
{
    if (index >= m_words.size())
        return fallback;
    bool good = false;
    const int value = m_words.at(index).toInt(&good);
    m_ok = m_ok && good;
    return value;
}
