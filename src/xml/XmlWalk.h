// The walk of FindNode: depth-first and pre-order from a start node over the start, its
// descendants and its following siblings with theirs, never above the start's level. Only
// elements are tested and descended into.
#pragma once

#include <libxml/tree.h>

namespace kiv::xml {

// The walk in a form that keeps no stack of its own, so that trees of any depth are safe.
template <typename Match> xmlNode* walkIterative(xmlNode* start, Match& match) {
  xmlNode* node = start;
  int depth = 0; // levels below start's
  while (node != nullptr) {
    if (node->type == XML_ELEMENT_NODE) {
      if (match(node)) return node;
      if (node->children != nullptr) {
        node = node->children;
        ++depth;
        continue;
      }
    }
    while (node->next == nullptr && depth > 0) {
      node = node->parent;
      --depth;
    }
    node = node->next;
  }
  return nullptr;
}

// Nesting depth up to which the walk recurses: parsed documents never go deeper (the parser's
// own limit), and recursion is the fastest form. Deeper trees, built by inserting nodes, are
// walked on by the iterative form.
constexpr int kRecursionDepth = 256;

// Calls match(node) on each element in walk order until it returns true; returns that element,
// or null when match never did. The same walk as walkIterative.
template <typename Match> xmlNode* walk(xmlNode* node, Match& match, int depth = 0) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    if (match(node)) return node;
    if (node->children != nullptr) {
      xmlNode* found = depth < kRecursionDepth ? walk(node->children, match, depth + 1)
                                               : walkIterative(node->children, match);
      if (found != nullptr) return found;
    }
  }
  return nullptr;
}

} // namespace kiv::xml
