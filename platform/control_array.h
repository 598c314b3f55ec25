#pragma once
// A control array: one member of the form holding several controls of one type, each with
// its Index (from 0), whose events reach the form with the index first:
//
//     platform::ControlArray<platform::TextBox> Text1{L"Text1", 55,
//         [this](int i) -> platform::Container & { return Frame1(i / 11); },
//         [](int i) { return platform::TextBox::Design{.place = {240, 360.0 + 360 * (i % 11), 615,
//         270}}; }};
//     Bind(Text1.Change, &Form9::Text1_Change);   // void Text1_Change(int Index)
#include "forms.h"
#include "vb_error.h"

#include <functional>
#include <memory>
#include <vector>

namespace mirolt::platform {

template <class T> class ControlArray : public T::Indexed {
  public:
    using Design = typename T::Design;

    // Members 0..count-1, member i placed in containerOf(i) with design(i).
    ControlArray(std::wstring name, int count, const std::function<Container &(int)> &containerOf,
                 const std::function<Design(int)> &design) {
        members_.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            members_.push_back(std::make_unique<T>(containerOf(i), name, design(i)));
            members_.back()->SetIndex(i);
            members_.back()->ForwardEvents(*this, i);
        }
    }
    // Every member in the same container.
    ControlArray(Container &parent, std::wstring name, int count,
                 const std::function<Design(int)> &design)
        : ControlArray(
              std::move(name), count, [&parent](int) -> Container & { return parent; }, design) {}
    ControlArray(const ControlArray &) = delete;
    ControlArray &operator=(const ControlArray &) = delete;

    // Member `index`; an index that names no member raises 340.
    T &operator()(int index) const {
        if (index < 0 || size_t(index) >= members_.size())
            throw RuntimeError(kControlArrayElementMissing);
        return *members_[size_t(index)];
    }
    int Count() const { return int(members_.size()); }
    int LBound() const { return 0; }
    int UBound() const { return Count() - 1; }

  private:
    std::vector<std::unique_ptr<T>> members_;
};

} // namespace mirolt::platform
