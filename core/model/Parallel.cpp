#include "core/model/Parallel.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::atomic<int> g_requested{0};  // 0: the machine's cores
// Held by the one call that uses the pool; others run their pieces themselves.
std::mutex g_poolInUse;
thread_local bool t_inPiece = false;

int MachineThreads()
{
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

// Marks the running thread as inside a piece for as long as it lives.
class InPiece {
public:
    InPiece() : previous_(t_inPiece) { t_inPiece = true; }
    ~InPiece() { t_inPiece = previous_; }
    InPiece(const InPiece&) = delete;
    InPiece& operator=(const InPiece&) = delete;

private:
    bool previous_;
};

// Threads that sleep until a job is posted, take its pieces through one shared
// counter and go back to sleep. One job at a time: the caller holds g_poolInUse.
class Pool {
public:
    Pool() = default;
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;
    ~Pool()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }

    void Run(int count, const std::function<void(int)>& task, const std::function<void(int)>& progress, int helpers)
    {
        Grow(helpers);
        {
            std::unique_lock<std::mutex> lock(mutex_);
            // A helper that woke late for the last job may still be leaving it.
            done_.wait(lock, [this] { return active_ == 0; });
            task_ = &task;
            count_ = count;
            helpers_ = helpers;
            next_.store(0);
            finished_.store(0);
            error_ = nullptr;
            ++generation_;
        }
        wake_.notify_all();
        for (;;) {
            const int i = next_.fetch_add(1);
            if (i >= count)
                break;
            RunPiece(task, i);
            if (progress)
                progress(finished_.load());
        }
        std::exception_ptr error;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            done_.wait(lock, [this, count] { return finished_.load() == count && active_ == 0; });
            error = error_;
            error_ = nullptr;
            task_ = nullptr;
        }
        if (progress)
            progress(count);
        if (error)
            std::rethrow_exception(error);
    }

private:
    void Grow(int helpers)
    {
        std::uint64_t generation;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            generation = generation_;
        }
        while (static_cast<int>(threads_.size()) < helpers) {
            const int id = static_cast<int>(threads_.size());
            try {
                threads_.emplace_back([this, id, generation] { Work(id, generation); });
            } catch (const std::system_error&) {
                // A thread the system cannot start lacks the memory for its
                // stack, or is one more than the system lets this user run:
                // either way the work does not fit, which is no fault of its
                // input. Those started stay for the next job.
                throw std::bad_alloc();
            }
        }
    }

    void Work(int id, std::uint64_t seen)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this, seen] { return stop_ || generation_ != seen; });
            if (stop_)
                return;
            seen = generation_;
            if (id >= helpers_ || task_ == nullptr)
                continue;
            const std::function<void(int)>* task = task_;
            const int count = count_;
            ++active_;
            lock.unlock();
            for (;;) {
                const int i = next_.fetch_add(1);
                if (i >= count)
                    break;
                RunPiece(*task, i);
            }
            lock.lock();
            --active_;
            done_.notify_all();
        }
    }

    void RunPiece(const std::function<void(int)>& task, int i)
    {
        {
            InPiece inside;
            try {
                task(i);
            } catch (...) {
                std::lock_guard<std::mutex> lock(mutex_);
                if (!error_)
                    error_ = std::current_exception();
            }
        }
        finished_.fetch_add(1);
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::thread> threads_;
    // The job: written under the mutex while no helper is active.
    const std::function<void(int)>* task_ = nullptr;
    int count_ = 0;
    int helpers_ = 0;
    std::uint64_t generation_ = 0;
    int active_ = 0;
    bool stop_ = false;
    std::exception_ptr error_;
    std::atomic<int> next_{0};
    std::atomic<int> finished_{0};
};

Pool& ThePool()
{
    static Pool pool;
    return pool;
}

void RunHere(int count, const std::function<void(int)>& task, const std::function<void(int)>& progress)
{
    std::exception_ptr error;
    for (int i = 0; i < count; ++i) {
        InPiece inside;
        try {
            task(i);
        } catch (...) {
            if (!error)
                error = std::current_exception();
        }
        if (progress && i + 1 < count)
            progress(i + 1);
    }
    if (progress)
        progress(count);
    if (error)
        std::rethrow_exception(error);
}

}  // namespace

int WorkerThreads()
{
    const int requested = g_requested.load();
    return requested > 0 ? requested : MachineThreads();
}

void SetWorkerThreads(int threads) { g_requested.store(threads > 0 ? threads : 0); }

void ParallelFor(int count, const std::function<void(int)>& task, const std::function<void(int)>& progress)
{
    const int threads = count < WorkerThreads() ? count : WorkerThreads();
    if (threads <= 1 || t_inPiece) {
        RunHere(count < 0 ? 0 : count, task, progress);
        return;
    }
    std::unique_lock<std::mutex> inUse(g_poolInUse, std::try_to_lock);
    if (!inUse.owns_lock()) {
        RunHere(count, task, progress);
        return;
    }
    ThePool().Run(count, task, progress, threads - 1);
}
