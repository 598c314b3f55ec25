#pragma once
// Run-time errors with the classic numbers; a handler's error trap is a catch of this.
#include <stdexcept>
#include <string>

namespace mirolt {

enum ErrorNumber : int {
    kInvalidProcedureCall = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kSubscriptOutOfRange = 9,
    kDllNotFound = 48,
    kFileNotFound = 53,
    kPathNotFound = 76,
    kEntryPointNotFound = 453,
    kInvalidPicture = 481,
    kDialogCancelled = 32755,
    kBadFileName = 52,
    kDiskFull = 61,
    kPathFileAccess = 75,
};

class RuntimeError : public std::runtime_error {
  public:
    explicit RuntimeError(int number, const std::string &what = {})
        : std::runtime_error(what.empty() ? "run-time error " + std::to_string(number) : what),
          number_(number) {}
    int Number() const { return number_; }

  private:
    int number_;
};

} // namespace mirolt
