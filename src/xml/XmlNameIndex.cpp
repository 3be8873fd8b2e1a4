// The name index: an open-addressing table from a name's hash to the first element of that
// name, filled in walk order so that a name seen again keeps its first element.
#include "xml/XmlNameIndex.h"
#include "xml/XmlWalk.h"

#include <cstring>

namespace kiv::xml {
namespace {

// FNV-1a: names are short, and most differ in their last characters.
std::uint32_t hashOf(const xmlChar* name) {
  std::uint32_t h = 2166136261u;
  for (; *name != 0; ++name)
    h = (h ^ *name) * 16777619u;
  return h;
}

bool sameName(const xmlChar* a, const xmlChar* b) {
  // Names from the document's dictionary are shared: equal names are often the same pointer.
  return a == b ||
         std::strcmp(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(b)) == 0;
}

} // namespace

void NameIndex::build(xmlNode* start) {
  slots_.assign(64, Slot{nullptr, 0});
  used_ = 0;
  auto index = [this](xmlNode* node) {
    if (node->name != nullptr) insert(node, hashOf(node->name));
    return false; // on to the end
  };
  walk(start, index);
}

void NameIndex::insert(xmlNode* node, std::uint32_t hash) {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.node == nullptr) {
      slot = Slot{node, hash};
      if (++used_ * 2 > slots_.size()) grow();
      return;
    }
    // A later element of a name already indexed: the first one stays.
    if (slot.hash == hash && sameName(slot.node->name, node->name)) return;
  }
}

void NameIndex::grow() {
  std::vector<Slot> old(slots_.size() * 2, Slot{nullptr, 0});
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.node == nullptr) continue;
    std::size_t i = slot.hash & mask;
    while (slots_[i].node != nullptr)
      i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

xmlNode* NameIndex::find(const char* name) const {
  if (slots_.empty()) return nullptr;
  const auto* wanted = reinterpret_cast<const xmlChar*>(name);
  const std::uint32_t hash = hashOf(wanted);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.node == nullptr) return nullptr;
    if (slot.hash == hash && sameName(slot.node->name, wanted)) return slot.node;
  }
}

} // namespace kiv::xml
