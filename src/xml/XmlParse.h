// Parsing a document for KivXML within the limits of KivXML.h.
#pragma once

#include <libxml/tree.h>

#include <cstdint>

namespace kiv::xml {

// Parses the regular file open for reading at fd, of `size` bytes, which this takes over and
// closes; gzip-compressed content is decompressed. Returns the document, or NULL when the file
// is not a well-formed document or crosses one of the limits of XmlLimits.h.
xmlDoc* parseFile(int fd, std::uint64_t size);

} // namespace kiv::xml
