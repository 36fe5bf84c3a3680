// A host thread that ends while it holds a slot gives the slot back, as its
// tzpusb_close would have: otherwise the slot stays taken for the life of the
// process, and a later thread may even inherit it through a reused thread id.
#pragma once

namespace tz::lib {

// Called when the calling thread is given a slot: from then on its end closes
// the library for it, when it has not closed it itself. The end of the main
// thread is the end of the process, which needs nothing given back.
void watch_thread_end();

}  // namespace tz::lib
