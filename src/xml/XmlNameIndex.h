// The first element of each name in the depth-first, pre-order walk of FindNode from a start
// node (the start, its descendants, its following siblings with theirs), so that searches from
// there cost a look-up instead of a walk. Built by one walk; the tree must not change while the
// index is in use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <libxml/tree.h>

namespace kiv::xml {

class NameIndex {
public:
  // Indexes the walk from start. Throws std::bad_alloc when memory runs out.
  void build(xmlNode* start);
  // The first element of that name in the walk, or null.
  xmlNode* find(const char* name) const;

private:
  struct Slot {
    xmlNode* node; // null: a free slot
    std::uint32_t hash;
  };
  void insert(xmlNode* node, std::uint32_t hash);
  void grow();

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

} // namespace kiv::xml
