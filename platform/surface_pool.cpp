#include "surface_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace mirolt::platform::surfaces {
namespace {

constexpr int64_t kWorthKeeping = 1 << 20; // pixels
constexpr size_t kKeep = 2;
constexpr size_t kPage = 4096;
constexpr size_t kChunk = 16 * kPage; // brought in by one thread at a time
constexpr unsigned kMostHelpers = 3;
// The helpers keep this many chunks below the user's rows: a helper that a busy machine keeps
// from running while it holds a chunk is then seldom one the user waits for.
constexpr size_t kMargin = 32;

class Warming;

// Threads that bring in the pages of fresh surfaces, started at the first one and kept until
// the program stops them at its end: starting a thread costs milliseconds. Each takes the
// oldest surface with pages left to bring in.
class Helpers {
  public:
    static Helpers &Get() {
        static auto *helpers = new Helpers; // never destroyed: boxes use it to the very end
        return *helpers;
    }
    void Add(Warming *w);
    // No helper touches `w` or its surface once this returns.
    void Withdraw(Warming *w);
    void Stop();
    bool Stopping() const { return stopping_.load(std::memory_order_relaxed); }

  private:
    void Run();
    std::mutex mutex_;
    std::condition_variable work_;
    std::vector<Warming *> queue_;
    bool started_ = false;
    std::atomic<bool> stopping_{false}; // set under mutex_, so that no waiting helper misses it
    std::thread starter_;
    std::vector<std::thread> threads_; // added to by the starter alone
};

// Brings the pages of a fresh surface in, chunk by chunk: its user from the top down as it
// gets to them (Ready), the helpers from the bottom up meanwhile. So the user waits for a
// helper at most once, where they meet. Each chunk is touched by one thread only, before its
// user writes to it, so the zeros written into the fresh memory change nothing.
class Warming {
  public:
    explicit Warming(Bitmap32 &bitmap)
        : bytes_(reinterpret_cast<uint8_t *>(bitmap.Bits())),
          size_(size_t(bitmap.Width()) * size_t(bitmap.Height()) * sizeof(uint32_t)),
          chunks_((size_ + kChunk - 1) / kChunk),
          state_(std::make_unique<std::atomic<uint8_t>[]>(chunks_)),
          back_(std::ptrdiff_t(chunks_)) {
        Helpers::Get().Add(this);
    }
    Warming(const Warming &) = delete;
    Warming &operator=(const Warming &) = delete;
    ~Warming() { Helpers::Get().Withdraw(this); }

    // Bytes [0, bytes) are in once this returns.
    void Ready(size_t bytes) {
        const size_t need = std::min(chunks_, (bytes + kChunk - 1) / kChunk);
        if (need <= ready_) return;
        wanted_.store(need, std::memory_order_relaxed);
        for (; ready_ < need; ++ready_) {
            if (Claim(ready_)) {
                Touch(ready_);
                continue;
            }
            while (state_[ready_].load(std::memory_order_acquire) != kIn)
                std::this_thread::yield();
        }
    }
    bool Complete() const { return ready_ == chunks_; }

    // A helper's part: chunks from the bottom up until they come near the user's or Stop.
    // Nothing is left for the helpers then.
    void Help() {
        while (!stop_.load(std::memory_order_relaxed) && !Helpers::Get().Stopping()) {
            const std::ptrdiff_t c = back_.fetch_sub(1, std::memory_order_relaxed) - 1;
            if (c < std::ptrdiff_t(wanted_.load(std::memory_order_relaxed) + kMargin) ||
                !Claim(size_t(c)))
                return;
            Touch(size_t(c));
        }
    }
    void Stop() { stop_ = true; }

  private:
    static constexpr uint8_t kFree = 0, kClaimed = 1, kIn = 2;

    bool Claim(size_t chunk) {
        uint8_t free = kFree;
        return state_[chunk].compare_exchange_strong(free, kClaimed, std::memory_order_relaxed);
    }
    void Touch(size_t chunk) {
        volatile uint8_t *p = bytes_;
        for (size_t i = chunk * kChunk; i < std::min(size_, (chunk + 1) * kChunk); i += kPage)
            p[i] = 0;
        state_[chunk].store(kIn, std::memory_order_release);
    }

    uint8_t *bytes_;
    size_t size_;
    size_t chunks_;
    std::unique_ptr<std::atomic<uint8_t>[]> state_;
    std::atomic<std::ptrdiff_t> back_; // the helpers' next chunk is the one below it
    std::atomic<size_t> wanted_{0};    // the user's chunks are those below it
    std::atomic<bool> stop_{false};
    size_t ready_ = 0; // chunks in, from the top; the user's alone

    friend class Helpers;
    int helping_ = 0; // helpers at work on it; under the helpers' mutex
};

void Helpers::Add(Warming *w) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!started_ && !stopping_) {
        started_ = true;
        // Without helpers each user brings every chunk in itself. They are started from a
        // thread of their own, so that the first fresh surface does not wait for them.
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        try {
            starter_ = std::thread([this, n = std::min(kMostHelpers, cores - 1)] {
                try {
                    for (unsigned i = 0; i < n && !stopping_; ++i)
                        threads_.emplace_back([this] { Run(); });
                } catch (const std::system_error &) {
                }
            });
        } catch (const std::system_error &) {
        }
    }
    queue_.push_back(w);
    work_.notify_all();
}

void Helpers::Withdraw(Warming *w) {
    w->Stop();
    std::unique_lock<std::mutex> lock(mutex_);
    queue_.erase(std::remove(queue_.begin(), queue_.end(), w), queue_.end());
    work_.wait(lock, [w] { return w->helping_ == 0; }); // at most a chunk's time
}

void Helpers::Stop() {
    std::thread starter;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        starter = std::move(starter_);
    }
    work_.notify_all();
    if (starter.joinable()) starter.join();
    for (std::thread &thread : threads_) // the starter is done adding to them
        thread.join();
    threads_.clear();
}

void Helpers::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        Warming *w = queue_.front();
        ++w->helping_;
        lock.unlock();
        w->Help();
        lock.lock();
        queue_.erase(std::remove(queue_.begin(), queue_.end(), w), queue_.end());
        --w->helping_;
        work_.notify_all(); // a Withdraw may be waiting
    }
}

// A kept surface, perhaps with its pages still coming in.
struct Spare {
    std::unique_ptr<Bitmap32> bitmap;
    std::unique_ptr<Warming> warming; // destroyed first: its helpers stop before the memory goes
    bool Fits(int width, int height) const {
        return bitmap->Width() == width && bitmap->Height() == height;
    }
};

// A fresh surface, its pages coming in.
Spare Fresh(int width, int height) {
    Spare s{std::make_unique<Bitmap32>(width, height), nullptr};
    s.warming = std::make_unique<Warming>(*s.bitmap);
    return s;
}

// Never destroyed: boxes let go of their surfaces until the very end of the program.
std::vector<Spare> &Kept() {
    static auto *kept = new std::vector<Spare>;
    return *kept;
}

// Surfaces in use whose pages are still coming in.
struct Coming {
    const Bitmap32 *surface;
    std::unique_ptr<Warming> warming;
};
std::vector<Coming> &Warmings() {
    static auto *coming = new std::vector<Coming>;
    return *coming;
}

std::vector<Coming>::iterator WarmingOf(const Bitmap32 *surface) {
    auto &coming = Warmings();
    return std::find_if(coming.begin(), coming.end(),
                        [&](const Coming &c) { return c.surface == surface; });
}

void DropOtherSizes(int width, int height) {
    auto &kept = Kept();
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [&](const Spare &s) { return !s.Fits(width, height); }),
               kept.end());
}

bool Worth(int width, int height) {
    return int64_t{width} * height >= kWorthKeeping;
}

// The size last expected, made ready once the handler that expected it is over: by then a
// surface of that size has often been let go of (a result shown in place of the one before),
// and only the last of several expectations counts.
struct Expectation {
    int width = 0, height = 0;
    UINT_PTR timer = 0;
};

Expectation &Expected() {
    static Expectation expected;
    return expected;
}

// A surface of the expected size taken or let go of meets the expectation.
void Meet(int width, int height) {
    Expectation &e = Expected();
    if (e.width == width && e.height == height) e.width = e.height = 0;
}

// One surface of a size is enough: the one let go of replaces a spare of its size. Of
// different sizes the most recent ones stay. Pages still coming in go on coming in.
void Keep(Bitmap32 *bitmap) noexcept {
    Spare let{std::unique_ptr<Bitmap32>(bitmap), nullptr};
    if (const auto c = WarmingOf(bitmap); c != Warmings().end()) {
        let.warming = std::move(c->warming);
        Warmings().erase(c);
    }
    auto &kept = Kept();
    const int width = bitmap->Width(), height = bitmap->Height();
    Meet(width, height);
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [&](const Spare &s) { return s.Fits(width, height); }),
               kept.end());
    // Without the memory to note it the surface simply goes.
    try {
        kept.push_back(std::move(let));
    } catch (const std::bad_alloc &) {
        return;
    }
    if (kept.size() > kKeep) kept.erase(kept.begin());
}

// Owned by the boxes, and kept once they let go of it; the rest of its pages come in as they
// are wanted.
std::shared_ptr<Bitmap32> InUse(Spare s) {
    std::shared_ptr<Bitmap32> owned(s.bitmap.release(), Keep);
    if (s.warming && !s.warming->Complete())
        Warmings().push_back({owned.get(), std::move(s.warming)});
    return owned;
}

} // namespace

std::shared_ptr<Bitmap32> Take(int width, int height) {
    if (!Worth(width, height)) return std::make_shared<Bitmap32>(width, height);
    Meet(width, height);
    auto &kept = Kept();
    for (auto it = kept.rbegin(); it != kept.rend(); ++it)
        if (it->Fits(width, height)) {
            Spare s = std::move(*it);
            kept.erase(std::next(it).base());
            return InUse(std::move(s));
        }
    // A size none of them has: the others go before the fresh one comes.
    DropOtherSizes(width, height);
    return InUse(Fresh(width, height));
}

void Ready(const Bitmap32 &surface, int rows) {
    const auto c = WarmingOf(&surface);
    if (c == Warmings().end()) return;
    c->warming->Ready(size_t(std::clamp(rows, 0, surface.Height())) * size_t(surface.Width()) *
                      sizeof(uint32_t));
    if (c->warming->Complete()) Warmings().erase(c);
}

namespace {

void CALLBACK MakeExpected(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    Expectation &e = Expected();
    e.timer = 0;
    if (!Worth(e.width, e.height)) return; // met meanwhile
    DropOtherSizes(e.width, e.height);
    auto &kept = Kept();
    if (!kept.empty()) return;
    // Called by the system: nothing may unwind from here. A surface made ahead is only a
    // guess, so without the memory for it nothing is lost.
    try {
        kept.push_back(Fresh(e.width, e.height));
    } catch (...) {
    }
}

} // namespace

void StopHelpers() {
    Helpers::Get().Stop();
}

void Expect(int width, int height) {
    if (!Worth(width, height)) return;
    Expectation &e = Expected();
    e.width = width;
    e.height = height;
    if (!e.timer) e.timer = SetTimer(nullptr, 0, 0, MakeExpected);
}

} // namespace mirolt::platform::surfaces
