// The index behind KivXML's searches from the root.
#pragma once

#include "KivXML.h"
#include "xml/XmlNameIndex.h"

struct KivXML::ReadIndex {
  // The document and root the names were indexed for; null when the index is out of date.
  _xmlDoc* doc = nullptr;
  _xmlNode* root = nullptr;
  kiv::xml::NameIndex names;
};
