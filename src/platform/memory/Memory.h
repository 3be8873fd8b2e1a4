// Heap blocks of the size the caller asks for, released explicitly: the allocator behind the
// string object's conversion buffer.
#pragma once

#include <cstddef>

namespace kiv::platform {

typedef char* Ptr;
typedef long Size;

// An uninitialised block of byteCount bytes (a zero count gives a valid, empty block), or null
// when byteCount is negative or memory is exhausted.
Ptr NewPtr(Size byteCount);

// Releases a block made by NewPtr; null is ignored.
void DisposePtr(Ptr p);

// The byte count a block was made with; 0 for null.
Size GetPtrSize(Ptr p);

// The number of blocks made by NewPtr and not yet released, for leak checks.
long liveMemoryBlocks();

} // namespace kiv::platform
