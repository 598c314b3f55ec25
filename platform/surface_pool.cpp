#include "surface_pool.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace mirolt::platform::surfaces {
namespace {

constexpr int64_t kWorthKeeping = 1 << 20; // pixels
constexpr size_t kKeep = 2;
constexpr size_t kPixelsPerPage = 4096 / sizeof(uint32_t);

// A kept surface, perhaps still being touched in by its worker thread.
class Spare {
  public:
    explicit Spare(Bitmap32 *bitmap) : bitmap_(bitmap) {}
    Spare(const Spare &) = delete;
    Spare &operator=(const Spare &) = delete;
    ~Spare() {
        stop_ = true;
        Wait();
    }

    // Touches every page of the surface on a worker thread.
    void Warm() {
        uint32_t *bits = bitmap_->Bits();
        const size_t pixels = size_t(bitmap_->Width()) * size_t(bitmap_->Height());
        worker_ = std::thread([this, bits, pixels] {
            for (size_t i = 0; i < pixels && !stop_.load(std::memory_order_relaxed);
                 i += kPixelsPerPage)
                bits[i] = 0;
        });
    }
    bool Fits(int width, int height) const {
        return bitmap_->Width() == width && bitmap_->Height() == height;
    }
    // The surface, once its worker is done with it.
    Bitmap32 *Release() {
        Wait();
        return bitmap_.release();
    }

  private:
    void Wait() {
        if (worker_.joinable()) worker_.join();
    }
    std::unique_ptr<Bitmap32> bitmap_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

// Never destroyed: boxes let go of their surfaces until the very end of the program.
std::vector<std::unique_ptr<Spare>> &Kept() {
    static auto *kept = new std::vector<std::unique_ptr<Spare>>;
    return *kept;
}

void DropOtherSizes(int width, int height) {
    auto &kept = Kept();
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [&](const auto &s) { return !s->Fits(width, height); }),
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

// One surface of a size is enough: the one let go of replaces a spare of its size, which may
// not be in memory yet. Of different sizes the most recent ones stay.
void Keep(Bitmap32 *bitmap) {
    auto &kept = Kept();
    const int width = bitmap->Width(), height = bitmap->Height();
    Meet(width, height);
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [&](const auto &s) { return s->Fits(width, height); }),
               kept.end());
    kept.push_back(std::make_unique<Spare>(bitmap));
    if (kept.size() > kKeep) kept.erase(kept.begin());
}

// Owned by the boxes, and kept once they let go of it.
std::shared_ptr<Bitmap32> Returning(Bitmap32 *bitmap) {
    return std::shared_ptr<Bitmap32>(bitmap, Keep);
}

} // namespace

std::shared_ptr<Bitmap32> Take(int width, int height) {
    if (!Worth(width, height)) return std::make_shared<Bitmap32>(width, height);
    Meet(width, height);
    auto &kept = Kept();
    for (auto it = kept.rbegin(); it != kept.rend(); ++it)
        if ((*it)->Fits(width, height)) {
            Bitmap32 *bitmap = (*it)->Release();
            kept.erase(std::next(it).base());
            return Returning(bitmap);
        }
    // A size none of them has: the others go before the fresh one comes.
    DropOtherSizes(width, height);
    return Returning(new Bitmap32(width, height));
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
        auto spare = std::make_unique<Spare>(new Bitmap32(e.width, e.height));
        spare->Warm();
        kept.push_back(std::move(spare));
    } catch (...) {
    }
}

} // namespace

void Expect(int width, int height) {
    if (!Worth(width, height)) return;
    Expectation &e = Expected();
    e.width = width;
    e.height = height;
    if (!e.timer) e.timer = SetTimer(nullptr, 0, 0, MakeExpected);
}

} // namespace mirolt::platform::surfaces
