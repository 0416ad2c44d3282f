#include "EpgProgram.h"

EpgProgram::EpgProgram(int kind, const Program &program) : Program(program), m_kind(kind) {}
