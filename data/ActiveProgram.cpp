#include "ActiveProgram.h"

void ActiveProgram::setAgConfig(const AgConfig &config)
{
    m_markers.setAgConfig(config);
    m_live.setAgConfig(config);
}

void ActiveProgram::setProgram(const Program &program)
{
    if (program.getProgramId() == -1 || program.getStart() <= 0)
        return;
    m_program = program;
    chosen().setInterval(program.getProgramId(), program.getStart(), program.getEnd());
}

ProgramCalculationData ActiveProgram::getCalculationData() const
{
    return chosen().getCalculationData();
}

void ActiveProgram::processNextChunk(AAgDataModel *model)
{
    chosen().processNextChunk(model);
}

ProgramCalculator &ActiveProgram::chosen()
{
    return m_program.getType() == 2 ? static_cast<ProgramCalculator &>(m_markers)
                                    : static_cast<ProgramCalculator &>(m_live);
}

const ProgramCalculator &ActiveProgram::chosen() const
{
    return m_program.getType() == 2 ? static_cast<const ProgramCalculator &>(m_markers)
                                    : static_cast<const ProgramCalculator &>(m_live);
}
