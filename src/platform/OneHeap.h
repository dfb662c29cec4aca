#pragma once

namespace lumarik::platform {

// Makes every thread of the process allocate from one heap. By default the C library
// gives threads heaps of their own, and a block goes back to the heap of the thread
// that allocated it, where only that thread reuses it. A text loaded on two threads
// has half its rows in the second thread's heap: laying all rows out anew on the main
// thread (switching word wrap on) would free those into a heap nobody allocates from
// while the new rows take fresh memory, and the process would hold about half the text
// twice. Call at the start of main, before any thread starts.
void UseOneHeap();

} // namespace lumarik::platform
