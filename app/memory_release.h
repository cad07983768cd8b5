#pragma once

namespace tamsel::app {

// Once the GUI thread's event loop next has nothing to do, gives the pages the allocator holds
// free back to the system. For after a big release (a run saved, a picture closed): the window may
// then idle for hours, and glibc keeps freed memory for allocations that may not come.
void releaseFreedMemoryOnceIdle();

}  // namespace tamsel::app
