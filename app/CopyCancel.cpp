#include "app/CopyCancel.h"

#include "install/Questions.h"

void CopyCancel::Begin()
{
    m_state = State::Copying;
    m_stopped = false;
}

void CopyCancel::StopAsking()
{
    m_state = State::Stopping;
}

void CopyCancel::End()
{
    m_state = State::Idle;
}

void CopyCancel::Ask()
{
    if (m_state != State::Copying || m_asking || m_stopped)
        return;
    m_asking = true;
    if (AskToStop())
        m_stopped = true;
    m_asking = false;
}
