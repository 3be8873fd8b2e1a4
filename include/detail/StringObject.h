/// \file
/// KIVStr, the string object: a growable UTF-16 text that carries the 8-bit encoding in which it
/// exchanges C strings and Pascal strings with the rest of the program. Compiles as C++11.
#ifndef KIV_DETAIL_STRINGOBJECT_H
#define KIV_DETAIL_STRINGOBJECT_H

#include "Export.h"
#include "detail/CFString.h"
#include "detail/MacTypes.h"

/// \addtogroup KIV_Str
/// @{

/// Receives the failure messages of a KIVStr. The library declares it; callers derive from it.
class KIV_API KIVFeedback {
public:
  virtual ~KIVFeedback();
  /// Receives one of the fixed failure messages of KIVStr (listed with the members that report
  /// them). Called on the thread that used the string.
  virtual void Report(const char* message) = 0;
};

/// Lengths and positions are 16-bit signed: the object is meant for texts of up to 32767 units.
/// Failures are handed to the feedback object (when there is one) and never thrown.
///
/// The capacity given to a constructor is a sizing hint in UTF-16 units, cut to 16 bits. The
/// modifying members always decode bytes in the string's own encoding. The pointers that the
/// conversion operators give stay valid until the string is modified, converted again or
/// destroyed. The substrings are in the system encoding and have no feedback object, except the
/// whole-string Right.
class KIV_API KIVStr {
public:
  // Construction. The capacity is a sizing hint in UTF-16 units, cut to 16 bits.

  /// An empty string in `encoding` that reports to `feedback` (may be null; not owned).
  KIVStr(int capacity, unsigned int encoding, KIVFeedback* feedback);
  /// An empty string in the system encoding.
  KIVStr(int capacity, KIVFeedback* feedback);
  /// A string in the system encoding holding `text` (a C string) or `pascal` (a Pascal string)
  /// decoded in that encoding, as Affect does; a null text gives an empty string.
  ///@{
  KIVStr(const char* text, KIVFeedback* feedback);
  KIVStr(const unsigned char* pascal, KIVFeedback* feedback);
  ///@}
  /// A copy shares the feedback pointer without owning it and starts without conversion buffers.
  /// It shares the text too until either string changes: no change to one is seen by the other,
  /// whatever threads they are used on.
  KIVStr(const KIVStr& other);
  /// Frees the conversion buffers and the text, and deletes the feedback object when the string
  /// owns it.
  ~KIVStr();

  /// Sets encoding and feedback and clears both flags; creates no text.
  /// A C string buffer made before is freed rather than lost with its flag.
  void StrInit(unsigned int encoding, KIVFeedback* feedback);
  /// Makes a new empty text of the given capacity the object's text.
  /// The text it replaces is released; if no new text can be made, the old one stays.
  void CreateEmptyString(short capacity);

  // Accessors.

  /// The encoding code in which the string decodes and encodes bytes.
  unsigned int GetEncoding() const;
  /// The feedback object, or null.
  KIVFeedback* GetExcept() const;
  /// The number of UTF-16 units, at most 32767 (a longer text answers 32767).
  short Length() const;
  /// The text itself, still owned by the string: do not release it. Changes made through it are
  /// the string's alone: the string first takes a text of its own when copies share it, and
  /// shares that one with no later copy.
  CFMutableStringRef GetCFString() const;
  /// True when the text has no unit.
  bool IsEmpty() const;
  /// True when the encoding is Mac Roman (0).
  bool RomanEncoding() const;

  // Modification. Bytes are always decoded in this string's own encoding.

  /// Deletes the whole text.
  void Empty();
  /// Empties the string, then appends s as `operator<<` does: a C string, a Pascal string, a
  /// number in decimal. Text that does not decode in the string's encoding appends nothing.
  ///@{
  void Affect(const char* s);
  void Affect(const unsigned char* p);
  void Affect(int n);
  ///@}
  /// Empties the string, then appends s as `operator<<(KIVStr)` does, with its checks: a string of
  /// another encoding, or an empty one, leaves this string empty and is reported. A string
  /// assigned to itself keeps its text.
  void Affect(const KIVStr& s);
  /// The same as Affect; returns this string.
  ///@{
  KIVStr& operator=(const char* s);
  KIVStr& operator=(const unsigned char* p);
  KIVStr& operator=(int n);
  KIVStr& operator=(const KIVStr& s);
  ///@}

  /// Appends n in decimal ("%d": a minus sign, no leading zeros); returns this string.
  ///@{
  KIVStr& operator<<(int n);
  KIVStr& operator<<(short n);
  ///@}
  /// Appends the byte c decoded in the string's encoding; the byte 0 appends nothing.
  KIVStr& operator<<(char c);
  /// Appends a C string, or the text of a Pascal string, decoded in the string's encoding; null,
  /// empty or undecodable text appends nothing.
  ///@{
  KIVStr& operator<<(const char* s);
  KIVStr& operator<<(const unsigned char* p);
  ///@}
  /// A Unicode string: u[0] units follow u[0].
  KIVStr& operator<<(unsigned short* u);
  /// Appends the whole text of a platform string (null appends nothing).
  KIVStr& operator<<(const __CFString* s);
  /// Appends nothing, and reports, when p's encoding differs from this one or p is empty.
  /// The messages: "KIVStr::operator<<(KIVStr p) : p.encoding != this->encoding" and
  /// "KIVStr::operator<<(KIVStr p) : p is empty".
  KIVStr& operator<<(KIVStr p);

  /// Maps the whole text to upper case, or to lower case, without regard to any locale.
  ///@{
  void Upper();
  void Lower();
  ///@}

  /// Comparisons give -1, 0 or 1. The C string and Pascal string forms decode their argument in
  /// the system encoding.
  ///@{
  int Compare(const KIVStr& other) const;
  int Compare(const char* s) const;
  int Compare(const unsigned char* p) const;
  int CompareNoCase(const KIVStr& other) const;
  int CompareNoCase(const char* s) const;
  int CompareNoCase(const unsigned char* p) const;
  ///@}

  // Conversion operators. The pointers stay valid until the string is modified, converted again
  // or destroyed.

  /// The text as a C string in the string's encoding, in the string's C string buffer (made or
  /// grown as needed: 2 bytes a unit, 3 for UTF-8, and the terminator). Empty when the text does
  /// not encode. The buffer is the string's: do not free it.
  ///@{
  operator char*();
  operator char const*() const;
  ///@}
  /// The text as a Pascal string in the string's encoding, in the string's 256-byte Pascal
  /// buffer; empty when the text is longer than 255 bytes or does not encode.
  ///@{
  operator unsigned char*();
  operator unsigned char const*() const;
  ///@}
  /// Makes a C string buffer of 2 * n bytes when there is none; else does nothing.
  void AllocBuffer(short n);
  /// Frees the C string buffer, if any.
  void ReleaseBuffer();

  // Copies into caller buffers.

  /// Copies the text into dst (256 bytes) as a Mac Roman Pascal string; dst is emptied first and
  /// stays empty on failure. An empty text is copied without a report. Reports, in this order:
  /// \verbatim
  ///   "KIVStr::GetPStringCopy : string is larger than 255 !" for a text of more than 255 units;
  ///   "KIVStr::GetPStringCopy : string is not roman. Impossible to copy to Pstr !" when the
  ///   encoding is not Mac Roman.
  /// \endverbatim
  /// A character without a Mac Roman form leaves dst empty, without a report.
  void GetPStringCopy(unsigned char* dst);
  /// Copies the text into dst as a C string in the string's encoding, in len bytes, terminator
  /// included; true when the whole text fitted. A text of more than len units reports
  /// \verbatim
  ///   "KIVStr::GetCStringCopy : string is larger than len !"
  /// \endverbatim
  /// and is still tried. On false, dst holds the empty string (nothing is written when len is 0
  /// or less).
  bool GetCStringCopy(char* dst, short len) const;
  /// Copies the first `max` units (at most) into dst as a Unicode string: dst[0] the count, then
  /// the units; dst holds max + 1 units. A longer text is cut and reports
  /// \verbatim
  ///   "KIVStr::GetPStringCopy : string is larger than 255 !"
  /// \endverbatim
  void GetUniStringCopy(unsigned short* dst, int max) const;
  /// Copies the text as UTF-8 into dst: the whole characters among the first `max` units that fit
  /// in max bytes, then a terminator (dst holds max + 1 bytes). A cut is not reported; a
  /// negative max writes nothing.
  void GetUTF8StringCopy(char* dst, long max) const;
  /// A new platform string holding the text; the caller releases it with CFRelease.
  CFStringRef GetCFStringCopy() const;

  // Substrings: system encoding and no feedback object, except the whole-string Right.

  /// Up to count units from position start (0-based). A start at or past the end gives an empty
  /// string and reports "KIVStr::Mid() : start > length !!!" to this string's feedback object; a
  /// count of 0 or less gives an empty string.
  KIVStr Mid(short start, short count) const;
  /// The units from start to the end, as Mid(start, Length() - start).
  KIVStr Mid(short start) const;
  /// The first n units, as Mid(0, n); an empty string reports the Mid message.
  KIVStr Left(short n) const;
  /// The last n units, as Mid(Length() - n, n); when the text is not longer than n, a copy of the
  /// whole string with its encoding and feedback pointer.
  KIVStr Right(short n) const;

  /// Exchanges the bytes of each pair (0, 1), (2, 3)... among the first n bytes of buffer; an odd
  /// last byte stays, n of 0 or less does nothing.
  void SwapBuffer(char* buffer, int n);
  /// value with its four bytes in reverse order.
  int strSwapLong(int value);
  /// Does nothing.
  void DebugString(const char* text);

protected:
  /// The text; never null after construction. Copies of a string share it until one of them
  /// changes it, which first gives that one a text of its own.
  mutable CFMutableStringRef text;
  /// Whether cStringBuffer holds a buffer.
  mutable Boolean cStringBufferPresent;
  /// The Pascal string conversions' buffer.
  mutable unsigned char pascalBuffer[256];
  /// The encoding of byte input and output.
  CFStringEncoding encoding;
  /// Receives the failure messages; may be null.
  KIVFeedback* feedback;
  /// When set, the destructor deletes the feedback object. Constructors clear it.
  Boolean ownsFeedback;
  /// The C string conversion's buffer, valid while cStringBufferPresent is set.
  mutable char* cStringBuffer;

private:
  void Report(const char* message) const;
  long Units() const;
  void AppendUnitsOf(const KIVStr& source, long start, long count);
  void Append(const KIVStr& p);
  KIVStr Substring(long start, long count) const;
  char* ToCString() const;
  unsigned char* ToPascalString() const;

  friend bool KIVEndsBy(KIVStr s, KIVStr suffix);
};

/// A copy of a with a copy of b appended; failures go to a's feedback object.
KIV_API KIVStr operator+(const KIVStr& a, const KIVStr& b);

/// True when s ends with suffix, ignoring case.
/// The Right of s as long as suffix is compared with suffix by CompareNoCase. An empty suffix
/// ends every string (a non-empty s reports the Mid message).
KIV_API bool KIVEndsBy(KIVStr s, KIVStr suffix);

/// @}

#endif
