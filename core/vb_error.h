#pragma once
// Run-time errors with the classic numbers; a handler's error trap is a catch of this.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace mirolt {

enum ErrorNumber : int {
    kInvalidProcedureCall = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kSubscriptOutOfRange = 9,
    kDivisionByZero = 11,
    kTypeMismatch = 13,
    kDllNotFound = 48,
    kInternalError = 51,
    kBadFileNameOrNumber = 52,
    kFileNotFound = 53,
    kFileAlreadyOpen = 55,
    kDeviceIoError = 57,
    kFileAlreadyExists = 58,
    kDiskFull = 61,
    kInputPastEndOfFile = 62,
    kDeviceUnavailable = 68,
    kPermissionDenied = 70,
    kDiskNotReady = 71,
    kPathFileAccessError = 75,
    kPathNotFound = 76,
    kControlArrayElementMissing = 340,
    kInvalidPropertyValue = 380,
    kInvalidPropertyArrayIndex = 381,
    kCannotSizeMinimised = 384,
    kEntryPointNotFound = 453,
    kInvalidPicture = 481,
    kDialogCancelled = 32755,
};

// The text the Japanese runtime shows for an error number; numbers it does not know give
// the text of an application-defined error.
std::wstring ErrorText(int number);

class RuntimeError : public std::runtime_error {
  public:
    // `systemCode` keeps what the failed system call reported (GetLastError or HRESULT).
    explicit RuntimeError(int number, uint32_t systemCode = 0)
        : std::runtime_error("run-time error " + std::to_string(number)), number_(number),
          systemCode_(systemCode) {}
    RuntimeError(int number, const std::string &what)
        : std::runtime_error(what), number_(number), systemCode_(0) {}
    int Number() const { return number_; }
    uint32_t SystemCode() const { return systemCode_; }

  private:
    int number_;
    uint32_t systemCode_;
};

} // namespace mirolt
