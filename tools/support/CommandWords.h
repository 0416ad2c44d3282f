#pragma once

#include <QStringList>

// One command line typed into a tool, split into words.
class CommandWords
{
public:
    explicit CommandWords(const QString &line);

    bool isEmpty() const { return m_words.isEmpty(); }
    int size() const { return m_words.size(); }
    // The word at index, empty when there is none.
    QString at(int index) const { return m_words.value(index); }
    // The word at index as a whole number, fallback when there is no such word; a word that
    // is no number makes ok() false.
    int integer(int index, int fallback);
    bool ok() const { return m_ok; }

private:
    QStringList m_words;
    bool m_ok = true;
};
