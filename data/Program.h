#pragma once

#include <QMetaType>

// A broadcast program of an audiogroup. type: 0 the current live program, 1 a program found
// around a time, 2 the span between the plot markers. Times in ms, -1 when unset.
class Program
{
public:
    Program() = default;
    Program(int type, qint64 programId, qint64 start, qint64 end);
    Program(const Program &other) = default;
    Program &operator=(const Program &other) = default;
    virtual ~Program();

    bool isValid() const { return m_programId != -1; }

    int getType() const { return m_type; }
    void setType(int type) { m_type = type; }
    qint64 getProgramId() const { return m_programId; }
    void setProgramId(qint64 programId) { m_programId = programId; }
    qint64 getStart() const { return m_start; }
    void setStart(qint64 start) { m_start = start; }
    // Event word of the program's first stored event (0 when its beginning is not stored
    // as a start).
    qint64 getStartWord() const { return m_startWord; }
    void setStartWord(qint64 word) { m_startWord = word; }
    qint64 getEnd() const { return m_end; }
    void setEnd(qint64 end) { m_end = end; }
    // Event word of the sample at the program's end.
    qint64 getEndWord() const { return m_endWord; }
    void setEndWord(qint64 word) { m_endWord = word; }

private:
    int m_type = 0;
    qint64 m_programId = -1;
    qint64 m_start = -1;
    qint64 m_startWord = 0;
    qint64 m_end = -1;
    qint64 m_endWord = 0;
};

Q_DECLARE_METATYPE(Program)
