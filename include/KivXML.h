/// \file
/// Module header KivXML: the XML document class KivXML, its result codes, and the lenient Base64
/// decoder of the values it stores (decode_base64). Compiles as C++11.
///
/// A KivXML object reads a file parsed whole into a tree (OpenDoc, FindNode, the ReadNode...
/// members) and writes a new file element by element through a streaming writer. Both may be
/// under way in the same object; CloseDoc and the destructor end both.
///
/// A "node" is an element holding text; a "section" is an element holding other elements.
/// Node handles are libxml2 node pointers into the object's document; they stay valid until
/// CloseDoc, destruction, or the deletion of the node.
///
/// Result codes (16-bit, 0 for success; the kKivXML... constants below name them) of the reading
/// side:
/// \verbatim
///    1  OpenDoc: the file cannot be examined (it does not exist)
///    2  OpenDoc: the parser fails on the file
///   -1  OpenDoc: the file reference does not resolve to a path;
///       ReadNodeAttributeStringValue: the attribute is absent
///   -3  the readers: no document open
///   -4  OpenDoc: the document has no root element
///   -5  the readers: no element of that name, or no node given
/// \endverbatim
/// OpenDoc with a standard folder passes the platform's own non-zero code through.
///
/// Hostile files cost bounded time and memory. The file is read through its descriptor, never
/// by a name that the parser could reinterpret. OpenDoc answers 2, and keeps no document, for:
///  - anything but a regular file (a FIFO, a device, a folder), without waiting on it;
///  - gzip-compressed content beyond 1 MiB once decompressed and beyond 20 times the compressed
///    file's size, or beyond 256 MiB (gzip is the only compression read);
///  - text expanded from entity references beyond a whole-document bound: the text that the
///    readers can gather (every element's and attribute's, each reference counted as its
///    entity's text) may exceed 1 MiB only up to 10 times the bytes of the document;
///  - a start tag with more than 2,000 attributes, more than 2,000 namespace declarations in
///    scope, more than 2,000 attribute declarations in the document type's internal subset, or
///    an entity text with a start tag that may carry more than 2,000 attributes (1,000 always
///    read); these cost the parser time that grows with the square of the count;
///  - the parser's own limits: more than 257 nested elements (the root included), a name
///    beyond 50,000 bytes, a text node beyond 10,000,000 bytes, a start tag beyond about
///    9,999,500 bytes, entities nested or multiplied beyond its bounds.
/// The readers gather text in time linear in what they take; the bounded ones stop once the
/// caller's buffer is full.
#ifndef KIV_KIVXML_H
#define KIV_KIVXML_H

#include <stddef.h>

#include "detail/Base64.h"
#include "detail/Export.h"
#include "detail/MacTypes.h"

/// \addtogroup KivXML
/// @{

struct _xmlNode;
struct _xmlDoc;
struct _xmlTextWriter;
struct FSRef;

/// The result codes of KivXML, by name; each member lists those it returns.
enum {
  // Reading.
  kKivXMLFileNotFound = 1,   ///< OpenDoc: the file cannot be examined (it does not exist)
  kKivXMLNotParsed = 2,      ///< OpenDoc: the file cannot be read or is not well-formed XML
  kKivXMLNoPath = -1,        ///< OpenDoc: the file reference gives no path, or no file name
  kKivXMLNoAttribute = -1,   ///< ReadNodeAttributeStringValue: the attribute is absent
  kKivXMLNoDocument = -3,    ///< the readers: no document open
  kKivXMLNoRootElement = -4, ///< OpenDoc: the document has no root element
  kKivXMLNoElement = -5,     ///< the readers: no element of that name, or no node given
  // Writing.
  kKivXMLNoFolderPath = -6,      ///< CreateDoc: the folder reference does not resolve to a path
  kKivXMLCannotCreate = -7,      ///< CreateDoc: the writer cannot be created
  kKivXMLWriteFailed = -8,       ///< no writer, the writer reported an error, or a text refused
  kKivXMLFormatRefused = -9,     ///< AddNodeFormat: the formatted text is empty or too long
  kKivXMLStartFailed = -10,      ///< StartSection, StartElement: starting the element fails
  kKivXMLEndFailed = -11,        ///< EndSection, EndElement: ending fails, or the root is open
  kKivXMLNoWriterToImport = -12, ///< _ImportTree: no writer
  kKivXMLFolderNotFound = -14,   ///< CreateDoc: the standard folder is not found
  kKivXMLAttributeFailed = -15,  ///< AddSectionAttribute...: writing the attribute fails
  kKivXMLTextFailed = 16         ///< AddElementTextFormat: writing the text fails
};

/// An XML document: a file parsed whole for reading, a new file written element by element, or
/// both at once. The result codes of reading are listed with KivXML.h.
class KIV_API KivXML {
public:
  _xmlDoc* xmldoc;        ///< the parsed document, owned; NULL when none is open
  _xmlNode* rootNode;     ///< its root element; NULL when no document is open
  _xmlTextWriter* writer; ///< the writer of a document being written, owned; NULL when none
  char dtdName[65];       ///< document type name; non-empty asks CreateDoc for a declaration
  char dtdPubID[255];     ///< document type public identifier
  char dtdSysID[1024];    ///< document type system identifier (at most 1023 bytes)

  /// An object with no document, no writer and empty document type fields.
  KivXML();
  /// Calls CloseDoc when a document is open or being written.
  ~KivXML();

  /// Releases the parsed document and completes a document being written. The document type
  /// fields keep their contents.
  void CloseDoc();

  /// Opening a file for reading. A document still open for reading is released and replaced; a
  /// writer is left as it is.
  /// By POSIX path: 0; 1 when the file cannot be examined (it does not exist, or the path is
  /// empty); 2 when it cannot be read or is not well-formed XML; -4 when it has no root element
  /// ("XML empty document" goes to the log, and the object is closed, a writer included).
  OSErr OpenDoc(const char* path);
  /// By file reference: -1 when the reference gives no path, else as by path.
  OSErr OpenDoc(FSRef* fileRef);
  /// folder: 1 the preferences folder, 2 the desktop, 3 the temporary folder.
  /// The file fileName in that folder: -1 for another folder number or a null name, the file
  /// service's status when the folder or the file does not exist (fnfErr), else as by path.
  OSErr OpenDoc(short folder, const char* fileName);

  /// Depth-first, pre-order search for the first element of that name, from start (the whole
  /// document when start is NULL) through start's descendants and its following siblings with
  /// theirs; never climbs to start's parent. NULL when not found.
  /// A search from the root (start NULL or rootNode), which every read by name makes, costs a
  /// look-up once the first one has indexed the document; the index follows the changes made
  /// through this object (InsertNode, DeleteNode, OpenDoc, CloseDoc). A tree changed with
  /// libxml2 directly must be reopened for searches from the root to see the change.
  _xmlNode* FindNode(_xmlNode* start, const char* name);
  /// The same walk for an element of that name whose attribute attrName has the value attrValue.
  /// Both give NULL without a document open (with a quiet log line) and for a null or empty name.
  _xmlNode* FindNode(_xmlNode* start, const char* name, const char* attrName,
                     const char* attrValue);

  /// \class KivXML
  /// \details The readers below that copy a whole text take no capacity: the caller's buffer must
  /// hold the longest text it expects and the NUL. Each has a bounded twin taking the buffer's
  /// size, which cuts longer text at a UTF-8 character boundary (valueSize 0 writes nothing).

  /// Value of the node's attribute attrName (empty when the attribute has no text); -1 when absent.
  /// -5 for a null node. Needs no document open.
  ///@{
  OSErr ReadNodeAttributeStringValue(_xmlNode* node, const char* attrName, char* value);
  OSErr ReadNodeAttributeStringValue(_xmlNode* node, const char* attrName, char* value,
                                     size_t valueSize);
  ///@}
  /// Text (UTF-8, untrimmed) of the first element of that name.
  /// 0; -3 when no document is open; -5 when no element has that name. value is emptied first.
  ///@{
  OSErr ReadNodeString(const char* name, char* value);
  OSErr ReadNodeString(const char* name, char* value, size_t valueSize);
  ///@}
  /// Text of the node: its direct text children joined, entities replaced.
  /// 0 (an element without text gives the empty text); -3 when no document is open; -5 for a
  /// null node. value is emptied first.
  ///@{
  OSErr ReadNodeStringValue(_xmlNode* node, char* value);
  OSErr ReadNodeStringValue(_xmlNode* node, char* value, size_t valueSize);
  ///@}

  /// Numbers in decimal text: leading white space skipped, optional sign, digits up to the first
  /// other character, 0 without digits; the value is cut to the target's width. The target is
  /// left unchanged on failure, except by the by-node ReadNodeShort and ReadNodeUChar, which
  /// always store (0 on failure).
  /// 0; -3 when no document is open; -5 when no element has the name, or for a null node. The
  /// text is read up to 299 bytes (31 for ReadNodeUInt16); doubles use a point as the decimal
  /// separator whatever the locale.
  ///@{
  OSErr ReadNodeShort(const char* name, short& value);
  OSErr ReadNodeShort(_xmlNode* node, short& value);
  OSErr ReadNodeUInt16(_xmlNode* node, unsigned short& value);
  OSErr ReadNodeLong(const char* name, int& value);
  OSErr ReadNodeLong(_xmlNode* node, int& value);
  OSErr ReadNodeDouble(const char* name, double& value);
  OSErr ReadNodeDouble(_xmlNode* node, double& value);
  OSErr ReadNodeUChar(_xmlNode* node, unsigned char& value);
  ///@}

  /// A colour section holding the nodes "red", "green" and "blue"; -5 when the section or a
  /// component is missing (components read before stay stored).
  OSErr ReadRGBColor(const char* name, RGBColor& color);

  /// A path stored as text (UTF-8, unchanged), at most 299 bytes.
  /// 0, -3 or -5 as the text readers; path is emptied first.
  ///@{
  OSErr ReadNodePath(const char* name, char* path);
  OSErr ReadNodePath(const char* name, char* path, size_t pathSize);
  OSErr ReadNodePath(_xmlNode* node, char* path);
  OSErr ReadNodePath(_xmlNode* node, char* path, size_t pathSize);
  ///@}

  /// The node's text (at most 255 bytes of UTF-8) as a Mac Roman Pascal string. The flag has
  /// no effect.
  /// 0, -3 or -5 as ReadNodeStringValue. A text with a character Mac Roman lacks, or longer than
  /// 254 characters, gives the empty Pascal string.
  OSErr ReadNodeMacRomanString(_xmlNode* node, unsigned char* pstr, bool flag);

  /// The Base64 text of the first element of that name, decoded, up to its first zero byte, as
  /// a C string. Line breaks inside the text are passed over, so values written in lines read
  /// back whole.
  /// 0; -3 when no document is open; -5 when no element has that name. Malformed Base64 is not
  /// an error: decode_base64 decides what it gives.
  ///@{
  OSErr ReadNodeBase64String(const char* name, char* value);
  OSErr ReadNodeBase64String(const char* name, char* value, size_t valueSize);
  ///@}

  /// Navigation over an indented document, whose sections alternate whitespace text and
  /// elements. Neither looks at node types.
  /// The node's second child (its first element in an indented section); NULL if none.
  static _xmlNode* ChildNode(_xmlNode* node);
  /// The sibling after the next one (the next element in an indented section); NULL if none.
  static _xmlNode* NextNode(_xmlNode* node);

  // Writing, editing and import

  /// \class KivXML
  /// \details A document is written as a stream: CreateDoc creates the file's writer, writes the
  /// XML declaration (and a document type declaration when dtdName is not empty) and opens the root
  /// element; nodes and sections follow in document order, indented by one tab per level;
  /// CloseDoc or the destructor ends every open element and completes the file.
  ///
  /// The file is written safely: the document goes to a private temporary file in the
  /// destination's folder (whatever characters the path holds), which CloseDoc (or the
  /// destructor) completes, flushes to the disk and renames over the destination, giving it the
  /// owner, permissions, extended attributes and access control list of the file it replaces.
  /// A file with several links is instead rewritten in place once the new content is complete
  /// on the disk, so that every name shows it. Until then the previous file is left exactly as
  /// it was, and it is kept when the output failed or CreateDoc returned -8; a save that fails
  /// when the document is completed writes one always-shown diagnostics entry naming the file
  /// and the reason. The folder must be writable; a symbolic link is followed and its target
  /// replaced, or created when the link dangles.
  ///
  /// Result codes of the writing side (the kKivXML... constants name them):
  /// \verbatim
  ///   -6  CreateDoc: the folder reference does not resolve to a path
  ///   -7  CreateDoc: the writer cannot be created (no such folder, no permission on the
  ///       folder or on the file to replace, a folder at the destination, a name too long for
  ///       the file system, a joined path beyond 299 bytes, a file name beyond 63 bytes)
  ///   -8  no writer, or the writer reported an error; AddRomanStringNode and AddNodePath also
  ///       for a text beyond their 299 bytes
  ///   -9  AddNodeFormat: the formatted text is empty, or beyond 511 bytes
  ///  -10  StartSection, StartElement: starting the element fails
  ///  -11  EndSection, EndElement: ending the element fails, or the element is the root
  ///  -12  _ImportTree: no writer
  ///  -14  CreateDoc: the standard folder is not found
  ///  -15  AddSectionAttribute, AddSectionAttributeFormat: writing the attribute fails (for
  ///       example after text or a child was written into the element), no writer, or a
  ///       formatted value beyond 511 bytes
  ///   16  AddElementTextFormat: writing the text fails, or a formatted text beyond 511 bytes
  /// \endverbatim
  ///
  /// Capacities: texts beyond them are refused whole with the code above, never cut, so that
  /// no value is silently shortened. Formatted texts (after printf-style formatting) and their
  /// UTF-8 forms hold at most 511 bytes; AddRomanStringNode texts and AddNodePath paths at most
  /// 299 bytes (the UTF-8 form of a Mac Roman text too); the file name that CreateDoc takes
  /// from a file reference at most 63 bytes in Mac Roman and in UTF-8. SetDTD cuts what does
  /// not fit its field (64, 254 and 1023 bytes) at a UTF-8 character boundary.
  ///
  /// Text is passed to the document unchanged (it must be UTF-8) except where a member says it
  /// converts from Mac Roman. What would leave a file that no parser accepts is refused with the
  /// member's error code (InsertNode: NULL): bytes that are not UTF-8, control characters other
  /// than tab, line feed and carriage return, names that are not XML names.
  ///
  /// Everything the writer completes reads back: what would cross a limit of the reader is
  /// refused with the member's code (-8 for the whole-node writers and CreateDoc, -10 for
  /// StartSection and StartElement, -15 for attributes, 16 for AddElementTextFormat) before
  /// anything is written:
  ///  - nesting: at most 257 open elements, the root included;
  ///  - names: at most 50,000 bytes, with at most one colon, between a prefix and a local name;
  ///    the prefix must be the reserved "xml" or declared by an "xmlns:prefix" attribute of an
  ///    element still open (so a root name takes only "xml"); a declaration must name a
  ///    namespace, and may neither rebind "xml" or "xmlns" nor bind their namespaces;
  ///  - one text node: at most 10,000,000 bytes: a node's text, the Base64 text of
  ///    AddNodeBase64 (a line feed counted for each line break), or text written piece by piece
  ///    into an open element together with the line feed and tabs that the writer's indentation
  ///    adds to it;
  ///  - one start tag: at most 9,990,000 bytes as written, attribute values escaped;
  ///  - attributes: at most 1,000 on one element, namespace declarations included, and 1,000
  ///    namespace declarations in scope; no attribute twice on an element (nor two prefixes of
  ///    one namespace with the same local name);
  ///  - a document type declaration that would not parse (a name that is not an XML name, a
  ///    public identifier with characters it may not hold, a system identifier with a double
  ///    quote): CreateDoc answers -8.
  /// EndSection and EndElement at the root answer -11 and write nothing: only CloseDoc, the
  /// destructor or the next CreateDoc close the root. A compressed document that would not
  /// decompress within the bounds above is not saved: the previous file is kept and the
  /// diagnostics log names the file (the step "checking").

#if defined(__GNUC__)
#define KIVXML_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define KIVXML_PRINTF(f, a)
#endif

  /// Copies the three document type texts (a null text counts as empty) for every later
  /// CreateDoc; an empty name switches the declaration off. CloseDoc keeps them. Returns 0.
  OSErr SetDTD(const char* name, const char* pubID, const char* sysID);
  /// Creates the document at a POSIX path, with the root element rootName; compressed output
  /// is gzip. A document this object is still writing is completed first. 0, -7 or -8.
  OSErr CreateDoc(const char* path, const char* rootName, bool compressed);
  /// The same in a folder given by reference, under fileName (UTF-8). 0, -6, -7 or -8.
  OSErr CreateDoc(FSRef* folder, const char* fileName, const char* rootName, bool compressed);
  /// Rewrites an existing file under its own name. 0, -6, -7, -8 or the file service's code.
  OSErr CreateDoc(FSRef* file, const char* rootName, bool compressed);
  /// The same in a standard folder: 1 preferences, 2 desktop, 3 temporary. 0, -6, -7, -8, -14.
  /// (A literal 0 for the folder is ambiguous with the reference forms: pass a short.)
  OSErr CreateDoc(short folder, const char* fileName, const char* rootName, bool compressed);

  /// A node: start tag, escaped text, end tag, on one line. A null text gives an empty-element
  /// tag. 0 or -8.
  OSErr AddNode(const char* name, const char* text);
  /// A node with one attribute. 0, -8, -10 or -11.
  OSErr AddNodeWithAttr(const char* name, const char* text, const char* attrName,
                        const char* attrValue);
  /// The start of a section; attributes may follow right away. 0, -8 or -10.
  OSErr StartSection(const char* name);
  /// An attribute of the element just started; the value is literal text. 0 or -15.
  OSErr AddSectionAttribute(const char* name, const char* value);
  /// An attribute from printf-style text, converted from Mac Roman. An empty text writes
  /// nothing and returns 0. 0 or -15.
  OSErr AddSectionAttributeFormat(const char* name, const char* format, ...) KIVXML_PRINTF(3, 4);
  /// The end of the innermost open element. 0, -8 or -11.
  ///@{
  OSErr EndSection();
  OSErr StartElement(const char* name); ///< as StartSection
  ///@}

  /// Printf-style text, converted from Mac Roman, inside the open element. An empty text
  /// writes nothing and returns 0. 0 or 16 (also when there is no writer).
  ///@{
  OSErr AddElementTextFormat(const char* format, ...) KIVXML_PRINTF(2, 3);
  OSErr EndElement(); ///< as EndSection
  ///@}

  /// A node holding the bytes of the C string data in Base64, in lines of 72 characters.
  OSErr AddNodeBase64(const char* name, const char* data);
  /// A node holding the Pascal string's bytes unchanged. 0 or -8.
  OSErr AddPNode(const char* name, const unsigned char* pstr);
  /// A node holding a Mac Roman C string, or Pascal string, converted to UTF-8. 0 or -8.
  ///@{
  OSErr AddRomanStringNode(const char* name, const char* text);
  OSErr AddRomanPStringNode(const char* name, const unsigned char* pstr);
  ///@}
  /// A node holding the date text of a POSIX time (style 1 when fullStyle, else 0), followed
  /// by " - " and the time in hours and minutes when withTime. 0 or -8.
  OSErr AddDateStringNodeN(const char* name, long date, bool fullStyle, bool withTime);
  /// A section holding the nodes "red", "green" and "blue" in decimal. 0 or -8.
  OSErr AddRGBColor(const char* name, RGBColor color);
  /// A node from printf-style text, converted from Mac Roman. 0, -8 or -9.
  OSErr AddNodeFormat(const char* name, const char* format, ...) KIVXML_PRINTF(3, 4);
  /// A node holding a path unchanged. 0 or -8.
  OSErr AddNodePath(const char* name, const char* path);

  /// Editing the parsed document in memory; CloseDoc discards the changes with the tree.
  /// A new element appended as parent's last child, with one text child holding text (UTF-8;
  /// none when text is null). NULL when no document is open (logged), or on failure, and for
  /// what the writer would refuse on import: a name with a prefix other than "xml", a text
  /// beyond 10,000,000 bytes.
  _xmlNode* InsertNode(_xmlNode* parent, const char* name, const char* text);
  /// The same with the value's decimal text: "%d", or "%.3f" rounded from the stored double
  /// (NULL for values whose text is not of that form: infinities, NaN, magnitudes from 1e26).
  ///@{
  _xmlNode* InsertNodeShort(_xmlNode* parent, const char* name, short value);
  _xmlNode* InsertNodeLong(_xmlNode* parent, const char* name, int value);
  _xmlNode* InsertNodeDouble(_xmlNode* parent, const char* name, double value);
  ///@}
  /// The same with a Mac Roman Pascal string converted to UTF-8.
  _xmlNode* InsertNodeMacRomanString(_xmlNode* parent, const char* name, const unsigned char* pstr);
  /// Deletes the node with its subtree, and its next sibling with that one's subtree (the
  /// whitespace that indents the next line in a written document). Deleting the root element
  /// leaves no document open for reading. A null node does nothing.
  void DeleteNode(_xmlNode* node);

  /// Writes the section of source's document, with everything inside it, into the document
  /// this object is writing: element names and texts only. An element with two or more
  /// children becomes a section, any other a node with its text. Texts are copied whole.
  /// Always 0.
  OSErr ImportTree(KivXML* source, _xmlNode* section);
  /// The same for first and its following siblings, without a surrounding section. 0, or -12
  /// when this object has no writer.
  OSErr _ImportTree(KivXML* source, _xmlNode* first);

  // End of writing, editing and import

  /// Not copyable: the object owns its document and its writer.
  ///@{
  KivXML(const KivXML&) = delete;
  KivXML& operator=(const KivXML&) = delete;
  ///@}

private:
  struct WriteState;
  /// What the writer has written so far (nesting, the start tag being written, namespace
  /// declarations in scope), so that the writing members refuse what the reader would refuse.
  /// Owned; created by the first CreateDoc.
  WriteState* writeState;

  struct ReadIndex;
  /// The first element of each name in the search from the root, made by the first such search
  /// and dropped by every change of the tree through this object (OpenDoc, CloseDoc, the edits),
  /// so that reads by name do not walk the tree each time. Owned; null when none was made.
  ReadIndex* readIndex;
  /// FindNode from the root, answered from the index (made first when there is none or the
  /// document or root changed); false when no index can be made: the caller then walks.
  bool FindIndexed(const char* name, _xmlNode** found);
  /// Forgets the index: the tree is about to change.
  void DropIndex();
};

/// True when the node has two or more children (a section of an indented document).
KIV_API bool IsThisNodeASection(_xmlNode* node);

/// @}

#endif
