#pragma once

#include "Program.h"

// A program as the program bar shows it; kind 1 marks the gap entries between programs.
class EpgProgram : public Program
{
public:
    EpgProgram() = default;
    EpgProgram(int kind, const Program &program);

    int getKind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }

private:
    int m_kind = -1;
};

Q_DECLARE_METATYPE(EpgProgram)
