#include "host/BufferPool.h"

#include <new>

#include "host/FreeStack.h"

namespace BufferPool {
namespace {

// The free buffers of one size.
struct Shelf {
  size_t bytes;
  void* head;
};

// A thread's shelves. Trivially destructible, so that it can still be read after its drain.
struct Shelves {
  Shelf shelf[kMaxSizes];
  size_t used;
  size_t heldBytes;
  uint64_t heapBuffers;
  bool closed;  // drained at thread end: buffers go to the heap from now on
};

void* NewBuffer(size_t bytes) {
  return ::operator new(bytes, std::align_val_t(kAlignment));
}
void DeleteBuffer(void* buffer, size_t bytes) noexcept {
  ::operator delete(buffer, bytes, std::align_val_t(kAlignment));
}

// Hands a thread's buffers back to the heap when the thread ends.
struct Drain {
  Shelves& shelves;
  explicit Drain(Shelves& shelves) : shelves(shelves) {
    FreeStack::ShowHeadsToLeakChecker(&shelves, sizeof(shelves));
  }
  ~Drain() {
    FreeStack::HideHeadsFromLeakChecker(&shelves, sizeof(shelves));
    for (size_t i = 0; i < shelves.used; ++i) {
      Shelf& shelf = shelves.shelf[i];
      while (shelf.head != nullptr)
        DeleteBuffer(FreeStack::Pop(shelf.head, shelf.bytes), shelf.bytes);
    }
    shelves.heldBytes = 0;
    shelves.closed = true;
  }
};

Shelves& ThisThread() {
  static thread_local Shelves shelves{};
  static thread_local Drain drain{shelves};
  static_cast<void>(drain);  // made on first use, so it runs when this thread ends
  return shelves;
}

Shelf* ShelfOf(Shelves& shelves, size_t bytes) {
  for (size_t i = 0; i < shelves.used; ++i)
    if (shelves.shelf[i].bytes == bytes) return &shelves.shelf[i];
  return nullptr;
}

}  // namespace

void* Take(size_t bytes) {
  Shelves& shelves = ThisThread();
  Shelf* shelf = ShelfOf(shelves, bytes);
  if (shelf == nullptr || shelf->head == nullptr) {
    ++shelves.heapBuffers;
    return NewBuffer(bytes);
  }
  shelves.heldBytes -= bytes;
  return FreeStack::Pop(shelf->head, bytes);
}

void Give(void* buffer, size_t bytes) noexcept {
  Shelves& shelves = ThisThread();
  Shelf* shelf = ShelfOf(shelves, bytes);
  if (shelf == nullptr && !shelves.closed && shelves.used < kMaxSizes) {
    shelf = &shelves.shelf[shelves.used++];
    *shelf = Shelf{bytes, nullptr};
  }
  if (shelf == nullptr || shelves.closed || shelves.heldBytes + bytes > kMaxHeldBytes) {
    DeleteBuffer(buffer, bytes);
    return;
  }
  FreeStack::Push(shelf->head, buffer, bytes);
  shelves.heldBytes += bytes;
}

uint64_t HeapBuffers() {
  return ThisThread().heapBuffers;
}

size_t HeldBytes() {
  return ThisThread().heldBytes;
}

}  // namespace BufferPool
