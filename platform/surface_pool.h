#pragma once
// Memory for the picture boxes' large surfaces. A fresh surface costs a page fault for every
// 4 KiB on first touch, which for a whole picture is a pause far longer than a pump interval.
// So surfaces let go of are kept for the next one of their size, and a surface about to be
// wanted is made ahead and touched in on a worker thread while the program goes on.
#include "picture.h"

#include <memory>

namespace mirolt::platform::surfaces {

// A surface of this size, its pixels undefined: a kept one when there is one, else a fresh
// one. A large one goes back to be kept when its last owner lets go of it.
std::shared_ptr<Bitmap32> Take(int width, int height);

// A surface of this size will be wanted soon (a box's image was handed on and the box will
// draw again, or a box grew to a new size): once the current handler is over, unless one is
// kept by then, one is made and touched in ahead. Kept surfaces of other sizes go, as the
// pictures in use have changed.
void Expect(int width, int height);

} // namespace mirolt::platform::surfaces
