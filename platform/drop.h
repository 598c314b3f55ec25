#pragma once
// Files dropped onto a control from other programs (OLE drag and drop, manual mode).
#include <functional>
#include <string>
#include <vector>

namespace mirolt::platform {

class Control;

// What was dropped: the data object's formats and, for format 15, its list of files.
class DataObject {
  public:
    virtual ~DataObject() = default;
    virtual bool GetFormat(int format) const = 0;
    virtual std::vector<std::wstring> Files() const = 0;
};

// Registers `control` as a drop target; `onDrop` runs with the data of each drop.
void EnableDrop(Control &control, std::function<void(const DataObject &)> onDrop);
// Removes the registration (done before the control's window goes).
void DisableDrop(Control &control);

} // namespace mirolt::platform
