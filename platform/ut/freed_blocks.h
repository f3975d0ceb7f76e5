// Freed heap blocks kept per thread for the thread's next blocks of the same
// size: a value made and dropped again and again (what a property setter does)
// takes its block back in a few instructions, without a trip through the C
// heap. Each thread keeps a few blocks of each size; the rest, and all of them
// when the thread ends, go back to the C heap. The sanitizer builds keep none,
// so that every block is a heap block of its own there and its use is checked.
//
// A library declares one FreedBlocks per thread (a plain thread_local, so that
// reaching it is one load) and a function that hands it back at thread end:
//
//   [[gnu::tls_model("initial-exec")]] thread_local ut::FreedBlocks<2> freed;
//   void closeAtThreadEnd() { static thread_local ut::ClosingAtThreadEnd<2> closing{&freed}; }
//
// and keeps a block with freed.keep(list, p, closeAtThreadEnd).
#pragma once

#include <cstddef>
#include <cstdlib>

namespace ut {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr unsigned keptFreedBlocks = 0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr unsigned keptFreedBlocks = 0;
#else
inline constexpr unsigned keptFreedBlocks = 32;
#endif
#else
inline constexpr unsigned keptFreedBlocks = 32;
#endif

// `Lists` lists of freed blocks, one per block size, each linked through the
// blocks' first word. Trivial to construct and destroy, so that a thread's
// copy needs no guard.
template <std::size_t Lists>
struct FreedBlocks {
    void* head[Lists];
    unsigned count[Lists];
    bool closing;  // registered to give the blocks back at thread end
    bool closed;   // the thread is ending: nothing more is kept

    // A kept block of list `k`, or null.
    void* take(std::size_t k) noexcept
    {
        void* p = head[k];
        if (p) {
            head[k] = *static_cast<void**>(p);
            --count[k];
        }
        return p;
    }
    // Keeps `p` in list `k`; false when the caller must free it itself.
    // `closeAtThreadEnd` registers close() for the thread's end, once.
    bool keep(std::size_t k, void* p, void (*closeAtThreadEnd)()) noexcept
    {
        if (count[k] >= keptFreedBlocks || closed)
            return false;
        if (!closing) [[unlikely]] {
            closeAtThreadEnd();
            closing = true;
        }
        *static_cast<void**>(p) = head[k];
        head[k] = p;
        ++count[k];
        return true;
    }
    // Every kept block back to the C heap; nothing is kept afterwards.
    void close() noexcept
    {
        closed = true;
        for (std::size_t k = 0; k < Lists; ++k) {
            while (void* p = head[k]) {
                head[k] = *static_cast<void**>(p);
                std::free(p);
            }
            count[k] = 0;
        }
    }
};

// A thread_local of this type closes the thread's blocks when it ends.
template <std::size_t Lists>
struct ClosingAtThreadEnd {
    FreedBlocks<Lists>* blocks;
    ~ClosingAtThreadEnd() { blocks->close(); }
};

} // namespace ut
