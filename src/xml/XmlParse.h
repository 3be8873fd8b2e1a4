// Parsing a document for KivXML within the limits of KivXML.h.
#pragma once

#include <libxml/tree.h>

namespace kiv::xml {

// Parses the file open for reading at fd, which this takes over and closes. The file must be a
// regular file; gzip-compressed content is decompressed. Returns the document, or NULL when the
// file is not a well-formed document or crosses one of the limits of XmlLimits.h.
xmlDoc* parseFile(int fd);

} // namespace kiv::xml
