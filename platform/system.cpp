#include "system.h"

#include "vb_random.h"

#include <windows.h>

namespace mirolt::platform {
namespace {

ClassicRandom g_random;

// Seconds since midnight, with the classic timer's hundredths.
double Timer() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + (t.wMilliseconds / 10) / 100.0;
}

} // namespace

void Randomize() {
    g_random.Reseed(double(float(Timer())));
}

float Rnd() {
    return g_random.Next();
}

void Beep() {
    MessageBeep(MB_OK);
}

} // namespace mirolt::platform
