#include "platform/memory/Memory.h"

#include <atomic>
#include <cstdlib>

namespace kiv::platform {

namespace {

// Each block is preceded by a header that records its size; the header keeps the block
// aligned as malloc's own blocks are.
struct alignas(std::max_align_t) BlockHeader {
  Size size;
};

std::atomic<long> liveBlocks{0};

BlockHeader* headerOf(Ptr p) { return reinterpret_cast<BlockHeader*>(p) - 1; }

} // namespace

Ptr NewPtr(Size byteCount) {
  if (byteCount < 0) return nullptr;
  void* raw = std::malloc(sizeof(BlockHeader) + static_cast<std::size_t>(byteCount));
  if (!raw) return nullptr;
  auto* header = static_cast<BlockHeader*>(raw);
  header->size = byteCount;
  liveBlocks.fetch_add(1, std::memory_order_relaxed);
  return reinterpret_cast<Ptr>(header + 1);
}

void DisposePtr(Ptr p) {
  if (!p) return;
  liveBlocks.fetch_sub(1, std::memory_order_relaxed);
  std::free(headerOf(p));
}

Size GetPtrSize(Ptr p) { return p ? headerOf(p)->size : 0; }

long liveMemoryBlocks() { return liveBlocks.load(std::memory_order_relaxed); }

} // namespace kiv::platform
