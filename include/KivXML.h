// Module header KivXML: the XML document class. Compiles as C++11.
//
// A KivXML object reads a file parsed whole into a tree (OpenDoc, FindNode, the ReadNode...
// members) and writes a new file element by element through a streaming writer. Both may be
// under way in the same object; CloseDoc and the destructor end both.
//
// A "node" is an element holding text; a "section" is an element holding other elements.
// Node handles are libxml2 node pointers into the object's document; they stay valid until
// CloseDoc, destruction, or the deletion of the node.
//
// Result codes (16-bit, 0 for success) of the reading side:
//    1  OpenDoc: the file cannot be examined (it does not exist)
//    2  OpenDoc: the parser fails on the file
//   -1  OpenDoc: the file reference does not resolve to a path;
//       ReadNodeAttributeStringValue: the attribute is absent
//   -3  the readers: no document open
//   -4  OpenDoc: the document has no root element
//   -5  the readers: no element of that name, or no node given
// OpenDoc with a standard folder passes the platform's own non-zero code through.
#ifndef KIV_KIVXML_H
#define KIV_KIVXML_H

#include <stddef.h>

#include "detail/Base64.h"
#include "detail/MacTypes.h"

struct _xmlNode;
struct _xmlDoc;
struct _xmlTextWriter;
struct FSRef;

class KivXML {
public:
  _xmlDoc* xmldoc;        // the parsed document, owned; NULL when none is open
  _xmlNode* rootNode;     // its root element; NULL when no document is open
  _xmlTextWriter* writer; // the writer of a document being written, owned; NULL when none
  char dtdName[65];       // document type name; non-empty asks CreateDoc for a declaration
  char dtdPubID[255];     // document type public identifier
  char dtdSysID[1024];    // document type system identifier (at most 1023 bytes)

  KivXML();
  ~KivXML();

  // Releases the parsed document and completes a document being written. The document type
  // fields keep their contents.
  void CloseDoc();

  // Opening a file for reading. An already open document is not closed first: call CloseDoc.
  OSErr OpenDoc(const char* path);
  OSErr OpenDoc(FSRef* fileRef);
  // folder: 1 the preferences folder, 2 the desktop, 3 the temporary folder.
  OSErr OpenDoc(short folder, const char* fileName);

  // Depth-first, pre-order search for the first element of that name, from start (the whole
  // document when start is NULL) through start's descendants and its following siblings with
  // theirs; never climbs to start's parent. NULL when not found.
  _xmlNode* FindNode(_xmlNode* start, const char* name);
  // The same walk for an element of that name whose attribute attrName has the value attrValue.
  _xmlNode* FindNode(_xmlNode* start, const char* name, const char* attrName,
                     const char* attrValue);

  // The readers below that copy a whole text take no capacity: the caller's buffer must hold
  // the longest text it expects and the NUL. Each has a bounded twin taking the buffer's size,
  // which cuts longer text at a UTF-8 character boundary (valueSize 0 writes nothing).

  // Value of the node's attribute attrName (empty when the attribute has no text); -1 when absent.
  OSErr ReadNodeAttributeStringValue(_xmlNode* node, const char* attrName, char* value);
  OSErr ReadNodeAttributeStringValue(_xmlNode* node, const char* attrName, char* value,
                                     size_t valueSize);
  // Text (UTF-8, untrimmed) of the first element of that name.
  OSErr ReadNodeString(const char* name, char* value);
  OSErr ReadNodeString(const char* name, char* value, size_t valueSize);
  // Text of the node: its direct text children joined, entities replaced.
  OSErr ReadNodeStringValue(_xmlNode* node, char* value);
  OSErr ReadNodeStringValue(_xmlNode* node, char* value, size_t valueSize);

  // Numbers in decimal text: leading white space skipped, optional sign, digits up to the first
  // other character, 0 without digits; the value is cut to the target's width. The target is
  // left unchanged on failure, except by the by-node ReadNodeShort and ReadNodeUChar, which
  // always store (0 on failure).
  OSErr ReadNodeShort(const char* name, short& value);
  OSErr ReadNodeShort(_xmlNode* node, short& value);
  OSErr ReadNodeUInt16(_xmlNode* node, unsigned short& value);
  OSErr ReadNodeLong(const char* name, int& value);
  OSErr ReadNodeLong(_xmlNode* node, int& value);
  OSErr ReadNodeDouble(const char* name, double& value);
  OSErr ReadNodeDouble(_xmlNode* node, double& value);
  OSErr ReadNodeUChar(_xmlNode* node, unsigned char& value);

  // A colour section holding the nodes "red", "green" and "blue"; -5 when the section or a
  // component is missing (components read before stay stored).
  OSErr ReadRGBColor(const char* name, RGBColor& color);

  // A path stored as text (UTF-8, unchanged), at most 299 bytes.
  OSErr ReadNodePath(const char* name, char* path);
  OSErr ReadNodePath(const char* name, char* path, size_t pathSize);
  OSErr ReadNodePath(_xmlNode* node, char* path);
  OSErr ReadNodePath(_xmlNode* node, char* path, size_t pathSize);

  // The node's text (at most 255 bytes of UTF-8) as a Mac Roman Pascal string. The flag has
  // no effect.
  OSErr ReadNodeMacRomanString(_xmlNode* node, unsigned char* pstr, bool flag);

  // The Base64 text of the first element of that name, decoded, up to its first zero byte, as
  // a C string. Line breaks inside the text are passed over, so values written in lines read
  // back whole.
  OSErr ReadNodeBase64String(const char* name, char* value);
  OSErr ReadNodeBase64String(const char* name, char* value, size_t valueSize);

  // Navigation over an indented document, whose sections alternate whitespace text and
  // elements. Neither looks at node types.
  // The node's second child (its first element in an indented section); NULL if none.
  static _xmlNode* ChildNode(_xmlNode* node);
  // The sibling after the next one (the next element in an indented section); NULL if none.
  static _xmlNode* NextNode(_xmlNode* node);

  // Writing, editing and import

  // End of writing, editing and import

  // Not copyable: the object owns its document and its writer.
  KivXML(const KivXML&) = delete;
  KivXML& operator=(const KivXML&) = delete;
};

// True when the node has two or more children (a section of an indented document).
bool IsThisNodeASection(_xmlNode* node);

#endif
