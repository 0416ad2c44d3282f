#include "Program.h"

Program::Program(int type, qint64 programId, qint64 start, qint64 end)
    : m_type(type), m_programId(programId), m_start(start), m_end(end)
{
}

Program::~Program() = default;
