#pragma once

namespace nimbrel {

// Hands the pages of memory that the process has freed back to the system. Decoding a large
// store leaves tens of megabytes of freed working memory scattered among what is kept, which
// the allocator would otherwise hold for the life of the process. Costs a walk of the heap.
void returnFreedMemoryToSystem();

} // namespace nimbrel
