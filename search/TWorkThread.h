#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

struct sqlite3;

// Work the window must not wait for, on a thread of its own: starting new work drops the work
// under way (its flag tells it to end, and the thread is joined), so at most one runs. Each start
// gets a generation number, by which what a dropped work hands over is told apart and forgotten.
class TWorkThread
{
public:
    TWorkThread() = default;
    ~TWorkThread() { Stop(); }
    TWorkThread(const TWorkThread&) = delete;
    TWorkThread& operator=(const TWorkThread&) = delete;

    // Drops the work under way, then runs Work, which gets its dropped flag and its generation.
    void Start(std::function<void(const std::atomic<bool>& Dropped, unsigned Generation)> Work);
    // Drops the work under way and waits for its thread to end; its generation is over.
    void Stop();
    unsigned Generation() const { return FGeneration; }

    // Opens the data file Path read-only for such work (it waits up to 2 s for a lock another
    // program holds); nullptr with Problem set when it cannot be opened.
    static sqlite3* OpenReadOnly(const QString& Path, QString& Problem);

private:
    void Join();
    std::thread FThread;
    std::shared_ptr<std::atomic<bool>> FDropped;
    unsigned FGeneration = 0;
};
