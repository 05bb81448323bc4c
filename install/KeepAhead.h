// The originals of the files the copy stage replaces, moved into the
// journal's backup on a thread of its own, in the order they are queued, while
// the copy stage copies the files before them: a keep and a copy each spend
// most of their time waiting for the system, and the two waits overlap.
#pragma once
#include <windows.h>

#include <deque>
#include <string>

#include "journal/Journal.h"
#include "win/Handle.h"

class KeepAhead {
public:
    // Keeps files for `journal`. The thread starts with the first file queued.
    explicit KeepAhead(Journal& journal);
    KeepAhead(const KeepAhead&) = delete;
    KeepAhead& operator=(const KeepAhead&) = delete;
    // Stops after the keep under way: the journal's Keep is free again.
    ~KeepAhead();

    // Queues the file `path` below root `root`, committed to the journal;
    // its number, from 0, for Kept.
    size_t Add(int root, const std::string& path);
    // Waits until the file numbered `number` is dealt with: true when it is
    // kept. False when its keep failed or never came: the thread has stopped
    // for good at a failure (or could not start), and the caller keeps that
    // file, and every one after it, itself.
    bool Kept(size_t number);

private:
    struct QueuedFile {
        int root;
        std::string path;
    };
    static DWORD WINAPI Run(void* self);
    void KeepAll();
    // The next file to keep, once there is one; false once the owner is done.
    bool NextFile(QueuedFile& file);

    Journal& m_journal;
    CRITICAL_SECTION m_lock;
    // Queued and not kept yet, the first being kept.
    std::deque<QueuedFile> m_queue;
    size_t m_added = 0;
    size_t m_kept = 0;
    // The thread keeps no more: a keep failed, the owner is done, or it
    // could not start.
    bool m_stopped = false;
    // The owner is done with it.
    bool m_stop = false;
    // Set when a file is queued or the stop is asked for; after each keep,
    // and when the thread stops.
    ScopedHandle m_queued;
    ScopedHandle m_progress;
    ScopedHandle m_thread;
};
