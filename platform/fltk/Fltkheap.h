// The memory the menu builds its window from, prepared before anything is loaded.
#pragma once

namespace platform::fltk {

// Start-up makes a dozen frame-sized buffers (2.3 MB each), unpacks a 4.5 MB font
// stream and decodes the skins: some 35 MB written once, most of it within the
// first tenth of a second. Faulting that in page by page was three quarters of the
// start-up time, so the heap is made ready for it: buffers of up to 32 MiB come
// from the heap rather than from mappings of their own, freed memory stays for
// the next buffer instead of going back to the kernel, the heap is grown once and
// marked for 2 MiB pages where the kernel offers them, and every thread allocates
// from it. Idempotent; anything the C library or the kernel refuses is simply left
// as it was.
void PrepareHeap();

}  // namespace platform::fltk
