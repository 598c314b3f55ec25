#pragma once
// Random numbers (Randomize, Rnd) and the system beep.
namespace mirolt::platform {

// Seeds the generator from the system timer (the seconds since midnight).
void Randomize();
// The next random number in [0, 1).
float Rnd();
// The system's default sound.
void Beep();

} // namespace mirolt::platform
