#include "row_workers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace mirolt {
namespace {

// Below this a job is done before the workers could wake.
constexpr size_t kWorthSharing = size_t(1) << 18;
// Ranges small enough that a worker held up in one delays the caller little.
constexpr int kRangesPerThread = 8;
constexpr unsigned kMostWorkers = 3;

class Workers {
  public:
    static Workers &Get() {
        // Never destroyed: the program stops the threads (Stop) before its process exits.
        static Workers *workers = new Workers;
        return *workers;
    }
    size_t Count() const { return ready_.load(); }

    // One job at a time; a job started meanwhile on another thread runs there alone.
    void Run(int rows, const std::function<void(int, int)> &body) {
        std::unique_lock running(running_, std::try_to_lock);
        if (!running) return body(0, rows);
        Job job{&body, rows, std::min(rows, int(Count() + 1) * kRangesPerThread), 0};
        {
            std::lock_guard lock(mutex_);
            job.id = ++jobs_;
            job_ = job;
            finished_ = 0;
            claims_.store(job.id << 32);
        }
        wake_.notify_all();
        const auto workFrom = Clock::now();
        const int mine = Work(job);
        // Every range is taken by now; wait only for those a worker has begun.
        const auto waitFrom = Clock::now();
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return finished_ >= job.ranges - mine; });
        // A worker held up in its range far longer than a range takes (every core busy) holds
        // up the caller; for a while, the caller does better alone.
        const auto now = Clock::now();
        const auto range = (waitFrom - workFrom) / std::max(mine, 1);
        if (now - waitFrom > std::max<Clock::duration>(kLongestWait, 2 * range))
            aloneUntil_ = now + kAloneFor;
    }
    bool Paused() const { return Clock::now() < aloneUntil_; }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (starter_.joinable()) starter_.join();
        ready_.store(0);
        for (std::thread &thread : threads_) // the starter is done adding to them
            thread.join();
        threads_.clear();
    }

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kLongestWait = std::chrono::milliseconds(2);
    static constexpr auto kAloneFor = std::chrono::milliseconds(500);

    struct Job {
        const std::function<void(int, int)> *body;
        int rows, ranges;
        uint64_t id;
    };

    // The threads are started from a thread of their own: starting one costs milliseconds,
    // which the first job should not wait for. Jobs use those already there.
    Workers() {
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned n = cores > 1 ? std::min(cores - 1, kMostWorkers) : 0;
        starter_ = std::thread([this, n] {
            for (unsigned i = 0; i < n && !stopping_; ++i) {
                threads_.emplace_back([this] { Serve(); });
                ready_.fetch_add(1);
            }
        });
    }

    // The next range of `job`, or -1 once all are taken or the job is over. The job's id goes
    // with the count, so a thread that wakes late never takes a range of a later job.
    int Claim(const Job &job) {
        uint64_t v = claims_.load();
        while ((v >> 32) == job.id && int(v & 0xFFFFFFFF) < job.ranges)
            if (claims_.compare_exchange_weak(v, v + 1)) return int(v & 0xFFFFFFFF);
        return -1;
    }

    void RunRange(const Job &job, int r) {
        (*job.body)(int(int64_t(job.rows) * r / job.ranges),
                    int(int64_t(job.rows) * (r + 1) / job.ranges));
    }

    // Runs ranges until none is left; returns how many this thread ran.
    int Work(const Job &job) {
        int ran = 0;
        for (int r; (r = Claim(job)) >= 0; ++ran)
            RunRange(job, r);
        return ran;
    }

    void Serve() {
        uint64_t seen = 0;
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return jobs_ != seen || stopping_; });
                if (stopping_) return;
                seen = jobs_;
                job = job_;
            }
            // A range taken is always run and counted: its job's caller waits for it.
            for (int r; !stopping_ && (r = Claim(job)) >= 0;) {
                RunRange(job, r);
                {
                    std::lock_guard lock(mutex_);
                    ++finished_;
                }
                done_.notify_one();
            }
        }
    }

    std::atomic<size_t> ready_{0}; // worker threads started
    std::mutex running_;           // held for the whole of a job
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    uint64_t jobs_ = 0;
    Job job_{};
    int finished_ = 0;                // ranges of the current job run by workers
    std::atomic<uint64_t> claims_{0}; // the job's id, and its ranges taken so far
    Clock::time_point aloneUntil_{};
    std::atomic<bool> stopping_{false}; // set under mutex_, so that no waiting thread misses it
    std::thread starter_;
    std::vector<std::thread> threads_; // added to by the starter alone
};

} // namespace

void ForEachRowRange(int rows, size_t cost, const std::function<void(int, int)> &body) {
    if (rows <= 0) return;
    if (cost < kWorthSharing || rows < 2 || Workers::Get().Count() == 0 ||
        Workers::Get().Paused()) {
        body(0, rows);
        return;
    }
    Workers::Get().Run(rows, body);
}

void StopRowWorkers() {
    Workers::Get().Stop();
}

} // namespace mirolt
