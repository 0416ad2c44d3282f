#include "SMTPController.h"

SMTPController::SMTPController(int passMs) : KivThread(nullptr), m_passMs(passMs) {}

SMTPController::~SMTPController() = default;

void SMTPController::stop()
{
    m_stop = true;
}

bool SMTPController::isStopped() const
{
    return !isRunning() && !m_inLoop;
}

void SMTPController::step() {}

void SMTPController::loop()
{
    m_inLoop = true;
    while (!m_stop) {
        step();
        msleep(m_passMs);
    }
    m_inLoop = false;
}
