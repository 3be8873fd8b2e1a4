// Parsing a document within the limits of KivXML.h.
//
// The parser reads the file through callbacks of this file, never by its name: libxml2 would
// otherwise interpret the name (as a URI, "-" as standard input) and decompress without bound.
// The read callback decompresses up to a cap, and on every call checks what the parser
// has built so far against the limits that its own checks lack (counts whose cost grows with
// their square). Entity texts are checked when the parser first resolves them. Once the tree is
// built, the text that the readers can gather from it is measured against the size of the input.
#include "xml/XmlParse.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/hash.h>
#include <libxml/parser.h>

#include "platform/compression/Gzip.h"
#include "platform/files/Entries.h"
#include "platform/memory/NoThrow.h"
#include "xml/XmlLimits.h"
#include "xml/XmlOwners.h"

namespace kiv::xml {
namespace {

// Bytes handed to the parser per read. The parser frees the input it has consumed only when
// little is left ahead of it (under 500 bytes); small reads let it do so at every opportunity, so
// that its input window of 10,000,000 bytes never holds more than the construct being parsed.
constexpr int kReadPiece = 250;

std::size_t addSaturated(std::size_t a, std::size_t b) {
  return a > SIZE_MAX - b ? SIZE_MAX : a + b;
}

std::size_t multiplySaturated(std::size_t a, std::size_t b) {
  return b != 0 && a > SIZE_MAX / b ? SIZE_MAX : a * b;
}

struct Input {
  platform::GzipReader file;
  xmlParserCtxtPtr parser = nullptr;
  std::size_t inflatedLimit = 0; // for compressed content
  std::size_t inflated = 0;      // bytes read from the file after decompression
  std::size_t parsed = 0;        // bytes handed to the parser
  bool failed = false;           // a limit was crossed or the file could not be read
  int messages = 0;              // parser messages printed so far
  std::unordered_set<const xmlEntity*> scannedEntities;
  int have = 0;
  int next = 0;
  char buffer[64 * 1024];
};

// libxml2 reports every error it meets and, after most fatal ones, goes on scanning and
// reporting: a file of 100,000 stray "<" printed 22 MB of messages. A document with a fatal
// error is refused anyway, so the parse stops at the first one; the messages keep libxml2's own
// form, the first kMaxMessages of a parse.
constexpr int kMaxMessages = 20;

void onParserError(void*, xmlErrorPtr error) {
  auto* parser = static_cast<xmlParserCtxtPtr>(error != nullptr ? error->ctxt : nullptr);
  if (parser == nullptr) return;
  // Entity texts are parsed in contexts of their own, which share the document's Input.
  auto* in = static_cast<Input*>(parser->_private);
  if (in != nullptr && in->messages < kMaxMessages) {
    ++in->messages;
    const char* message = error->message != nullptr ? error->message : "\n";
    if (error->level == XML_ERR_WARNING)
      xmlParserWarning(parser, "%s", message);
    else
      xmlParserError(parser, "%s", message);
  }
  // Only the document's own parse is stopped: an entity's parse ends by itself, and its error
  // code (an entity loop, say) must reach the document's parse unchanged.
  if (error->level == XML_ERR_FATAL && in != nullptr && parser == in->parser)
    xmlStopParser(parser);
}

// Whether what the parser holds so far crosses a limit whose cost grows with its square.
bool beyondParserLimits(const xmlParserCtxt* parser) {
  // The table of the start tag being parsed holds five entries per attribute; it grows by
  // doubling and keeps its size, so it tells the most attributes any tag has had.
  if (parser->maxatts > 5 * static_cast<int>(kReadMaxAttributes)) return true;
  // Two entries per namespace declaration in scope.
  if (parser->nsNr > 2 * static_cast<int>(kReadMaxAttributes)) return true;
  const xmlDtd* dtd = parser->myDoc != nullptr ? parser->myDoc->intSubset : nullptr;
  if (dtd != nullptr && dtd->attributes != nullptr &&
      xmlHashSize(static_cast<xmlHashTablePtr>(dtd->attributes)) >
          static_cast<int>(kReadMaxAttributeDeclarations))
    return true;
  return false;
}

int readInput(void* context, char* out, int length) {
  Input& in = *static_cast<Input*>(context);
  if (!in.failed && beyondParserLimits(in.parser)) in.failed = true;
  if (in.failed) return -1;
  if (in.next == in.have) {
    // Content that is not gzip passes through unchanged.
    int n = in.file.read(in.buffer, sizeof in.buffer);
    if (n <= 0) {
      if (n < 0) in.failed = true;
      return n < 0 ? -1 : 0;
    }
    in.have = n;
    in.next = 0;
    in.inflated += static_cast<std::size_t>(n);
    if (!in.file.direct() && in.inflated > in.inflatedLimit) {
      in.failed = true;
      return -1;
    }
  }
  int n = std::min({length, kReadPiece, in.have - in.next});
  std::memcpy(out, in.buffer + in.next, static_cast<std::size_t>(n));
  in.next += n;
  in.parsed += static_cast<std::size_t>(n);
  return n;
}

int closeInput(void*) { return 0; } // the file is closed with the Input

// An upper bound of the attributes that a start tag in the text carries: the '=' signs from a
// '<' that opens a start tag to the next '<', which no attribute value may hold.
std::size_t mostAttributesPerTag(const xmlChar* text) {
  std::size_t most = 0, count = 0;
  bool inStartTag = false;
  for (const xmlChar* p = text; *p != 0; ++p) {
    if (*p == '<') {
      most = std::max(most, count);
      count = 0;
      inStartTag = p[1] != '/' && p[1] != '!' && p[1] != '?';
    } else if (*p == '=' && inStartTag) {
      ++count;
    }
  }
  return std::max(most, count);
}

// The parser's entity lookup, which also sees each entity before its text is first parsed: the
// text is parsed on its own, out of reach of readInput, so it is checked here.
xmlEntityPtr getEntity(void* context, const xmlChar* name) {
  xmlParserCtxtPtr parser = static_cast<xmlParserCtxtPtr>(context);
  Input* in = static_cast<Input*>(parser->_private);
  xmlEntityPtr entity = xmlSAX2GetEntity(context, name);
  if (in == nullptr || entity == nullptr) return entity;
  if (!in->failed && entity->etype == XML_INTERNAL_GENERAL_ENTITY && entity->content != nullptr) {
    try {
      if (in->scannedEntities.insert(entity).second &&
          mostAttributesPerTag(entity->content) > kReadMaxAttributes)
        in->failed = true;
    } catch (const std::bad_alloc&) {
      in->failed = true;
    }
  }
  if (!in->failed) return entity;
  xmlStopParser(parser);
  return nullptr;
}

// Bytes of text that the readers can gather from a document: the text of every element and
// attribute of the tree, each entity reference counted as its entity's text. An entity's size is
// computed once, so the cost is linear in the tree and the entity texts, however often they are
// referenced.
class GatherableText {
public:
  explicit GatherableText(xmlDoc* doc) : doc_(doc) {}

  std::size_t total() {
    std::size_t sum = 0;
    xmlNode* node = doc_->children;
    while (node != nullptr) {
      if (node->type == XML_ELEMENT_NODE) {
        sum = addSaturated(sum, ofList(node->children, 0));
        for (xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next)
          sum = addSaturated(sum, ofList(attr->children, 0));
        if (node->children != nullptr) {
          node = node->children;
          continue;
        }
      }
      while (node->next == nullptr && node->parent != nullptr &&
             node->parent != reinterpret_cast<xmlNode*>(doc_))
        node = node->parent;
      node = node->next;
    }
    return sum;
  }

private:
  std::size_t ofList(xmlNode* first, int depth) {
    std::size_t sum = 0;
    for (xmlNode* node = first; node != nullptr; node = node->next) {
      if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
        if (node->content != nullptr)
          sum = addSaturated(sum, std::strlen(reinterpret_cast<const char*>(node->content)));
      } else if (node->type == XML_ENTITY_REF_NODE) {
        xmlEntity* entity = xmlGetDocEntity(doc_, node->name);
        if (entity != nullptr)
          sum = addSaturated(sum, ofEntity(entity, depth + 1));
        else if (node->content != nullptr)
          sum = addSaturated(sum, std::strlen(reinterpret_cast<const char*>(node->content)));
      }
    }
    return sum;
  }

  std::size_t ofEntity(xmlEntity* entity, int depth) {
    auto known = sizes_.find(entity);
    if (known != sizes_.end()) return known->second;
    if (depth > kMaxEntityNesting) return 0; // not followed when text is gathered either
    sizes_[entity] = 0;                      // a loop, which the parser refuses, counts nothing
    std::size_t size = ofList(entity->children, depth);
    sizes_[entity] = size;
    return size;
  }

  xmlDoc* doc_;
  std::unordered_map<const xmlEntity*, std::size_t> sizes_;
};

bool expandsTooMuch(xmlDoc* doc, std::size_t parsed) {
  std::size_t text = GatherableText(doc).total();
  return text > kExpansionFloor && text > multiplySaturated(kExpansionRatio, parsed);
}

} // namespace

xmlDoc* parseFile(int fd, std::uint64_t size) {
  std::unique_ptr<Input> in(new (std::nothrow) Input);
  if (in == nullptr) {
    platform::closeFile(fd);
    return nullptr;
  }
  if (!in->file.open(fd)) return nullptr;
  in->inflatedLimit = std::min(
      kMaxInflated,
      std::max(kInflateFloor, multiplySaturated(kInflateRatio, static_cast<std::size_t>(size))));

  XmlOwned<xmlDoc> doc;
  XmlOwned<xmlParserCtxt> parser(xmlNewParserCtxt());
  if (parser != nullptr) {
    in->parser = parser.get();
    parser->_private = in.get(); // copied by the parser into the contexts that parse entities
    parser->sax->getEntity = getEntity;
    parser->sax->serror = onParserError;
    // Names are stored once each and come from the input, so the dictionary cannot grow beyond
    // the input; its default cap would refuse documents that the writer produces.
    xmlDictSetLimit(parser->dict, 0);
    doc.reset(xmlCtxtReadIO(parser.get(), readInput, closeInput, in.get(), nullptr, nullptr,
                            XML_PARSE_NONET));
    parser.reset();
  }
  // A document whose text cannot be measured for want of memory is not kept either.
  const bool kept = doc != nullptr && !in->failed && platform::noThrow(false, [&] {
                      return !expandsTooMuch(doc.get(), in->parsed);
                    });
  return kept ? doc.release() : nullptr;
}

} // namespace kiv::xml
