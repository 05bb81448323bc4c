#include "install/KeepAhead.h"

namespace {

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& lock) : m_lock(lock) { EnterCriticalSection(&m_lock); }
    ~Locked() { LeaveCriticalSection(&m_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

} // namespace

KeepAhead::KeepAhead(Journal& journal) : m_journal(journal)
{
    InitializeCriticalSection(&m_lock);
}

KeepAhead::~KeepAhead()
{
    {
        Locked locked(m_lock);
        m_stop = true;
    }
    if (m_thread) {
        SetEvent(m_queued.get());
        WaitForSingleObject(m_thread.get(), INFINITE);
    }
    DeleteCriticalSection(&m_lock);
}

size_t KeepAhead::Add(int root, const std::string& path)
{
    Locked locked(m_lock);
    if (!m_thread && !m_stopped) {
        m_queued.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        m_progress.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (m_queued && m_progress)
            m_thread.reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
        // Without a thread, the caller keeps every file.
        m_stopped = !m_thread;
    }
    if (!m_stopped) {
        m_queue.push_back({root, path});
        SetEvent(m_queued.get());
    }
    return m_added++;
}

bool KeepAhead::Kept(size_t number)
{
    for (;;) {
        {
            Locked locked(m_lock);
            if (number < m_kept)
                return true;
            if (m_stopped)
                return false;
        }
        WaitForSingleObject(m_progress.get(), INFINITE);
    }
}

DWORD WINAPI KeepAhead::Run(void* self)
{
    static_cast<KeepAhead*>(self)->KeepAll();
    return 0;
}

bool KeepAhead::NextFile(QueuedFile& file)
{
    for (;;) {
        {
            Locked locked(m_lock);
            if (m_stop)
                return false;
            if (!m_queue.empty()) {
                file = m_queue.front();
                return true;
            }
        }
        WaitForSingleObject(m_queued.get(), INFINITE);
    }
}

void KeepAhead::KeepAll()
{
    QueuedFile file;
    while (NextFile(file) && m_journal.Keep(file.root, file.path)) {
        Locked locked(m_lock);
        m_queue.pop_front();
        ++m_kept;
        SetEvent(m_progress.get());
    }
    Locked locked(m_lock);
    m_stopped = true;
    SetEvent(m_progress.get());
}
