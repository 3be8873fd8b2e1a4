// Property list files (an application bundle's Info.plist): the one reader of their top-level
// dictionary, for the main bundle's look-ups and the bundle objects alike.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kiv::xml {

// One key of a property list's dictionary and the text of its value: the content of a
// <string>, <integer>, <real> or <date> value, "true" or "false" for the boolean values, and no
// text for a value of another kind (an array, a dictionary) or a key without a value.
struct PlistEntry {
  std::string key;
  std::optional<std::string> text;
};

// The top-level dictionary of the property list file at `plistPath` (the <dict> inside <plist>,
// or a <dict> root), its entries in document order: each <key> element takes the element after
// it as its value; an element where a key is expected is passed over. Empty optional when the
// file cannot be parsed or holds no such dictionary.
std::optional<std::vector<PlistEntry>> plistEntries(const std::string& plistPath);

} // namespace kiv::xml
