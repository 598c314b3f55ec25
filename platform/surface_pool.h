#pragma once
// Memory for the picture boxes' large surfaces. A fresh surface costs a page fault for every
// 4 KiB on first touch, which for a whole picture is a pause far longer than a pump interval.
// So surfaces let go of are kept for the next one of their size, a surface about to be wanted
// is made ahead, and a fresh one has its pages brought in from the top down on helper threads
// while its user goes on drawing: the user only ever waits for the rows it is about to write.
#include "picture.h"

#include <memory>

namespace mirolt::platform::surfaces {

// A surface of this size, its pixels undefined: a kept one when there is one, else a fresh
// one. A large one goes back to be kept when its last owner lets go of it. Rows of it are
// written only once Ready says so.
std::shared_ptr<Bitmap32> Take(int width, int height);

// Rows [0, rows) of a surface from Take may now be written: their memory is in. Costs
// nothing for rows that were ready already, and waits only for pages a helper is bringing in.
void Ready(const Bitmap32 &surface, int rows);

// A surface of this size will be wanted soon (a box's image was handed on and the box will
// draw again, or a box grew to a new size): once the current handler is over, unless one is
// kept by then, one is made and its pages brought in ahead. Kept surfaces of other sizes go,
// as the pictures in use have changed.
void Expect(int width, int height);

// Stops the threads that bring pages in and waits for them to end, for good: each finishes
// the chunk it holds, and every user brings in the rest of its pages itself from then on.
// The program calls it as it ends.
void StopHelpers();

} // namespace mirolt::platform::surfaces
