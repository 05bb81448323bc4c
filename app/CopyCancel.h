// The cancel command while files are copied: it asks whether to stop, and the
// copy stops after the current file once the user said Yes.
#pragma once

class CopyCancel {
public:
    // Copying begins: from now on the cancel command asks.
    void Begin();
    // Copying has stopped, for good or to be undone: the cancel command is
    // ignored until End.
    void StopAsking();
    // The copy stage is over: the cancel command takes its usual way again.
    void End();
    // True from Begin to End: the copy stage, not the dialog, answers the
    // cancel command.
    bool IsActive() const { return m_state != State::Idle; }

    // The cancel command arrived: while copying, and unless its question is
    // open already, asks whether to stop; Yes stops the copy.
    void Ask();
    // The user chose to stop in another question (Cancel in a Retry/Cancel box).
    void Stop() { m_stopped = true; }
    bool IsStopped() const { return m_stopped; }

private:
    enum class State { Idle, Copying, Stopping };
    State m_state = State::Idle;
    bool m_asking = false;
    bool m_stopped = false;
};
