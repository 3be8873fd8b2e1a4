// KIVStr, the string object: a growable UTF-16 text that carries the 8-bit encoding in which it
// exchanges C strings and Pascal strings with the rest of the program. Compiles as C++11.
#ifndef KIV_DETAIL_STRINGOBJECT_H
#define KIV_DETAIL_STRINGOBJECT_H

#include "detail/CFString.h"
#include "detail/MacTypes.h"

// Receives the failure messages of a KIVStr. The library declares it; callers derive from it.
class KIVFeedback {
public:
  virtual ~KIVFeedback();
  virtual void Report(const char* message) = 0;
};

// Lengths and positions are 16-bit signed: the object is meant for texts of up to 32767 units.
// Failures are handed to the feedback object (when there is one) and never thrown.
class KIVStr {
public:
  // Construction. The capacity is a sizing hint in UTF-16 units, cut to 16 bits.
  KIVStr(int capacity, unsigned int encoding, KIVFeedback* feedback);
  KIVStr(int capacity, KIVFeedback* feedback);
  KIVStr(const char* text, KIVFeedback* feedback);
  KIVStr(const unsigned char* pascal, KIVFeedback* feedback);
  // A copy shares the feedback pointer without owning it and starts without conversion buffers.
  KIVStr(const KIVStr& other);
  ~KIVStr();

  // Sets encoding and feedback and clears both flags; creates no text.
  void StrInit(unsigned int encoding, KIVFeedback* feedback);
  // Makes a new empty text of the given capacity the object's text.
  void CreateEmptyString(short capacity);

  // Accessors.
  unsigned int GetEncoding() const;
  KIVFeedback* GetExcept() const;
  short Length() const;
  CFMutableStringRef GetCFString() const;
  bool IsEmpty() const;
  bool RomanEncoding() const;

  // Modification. Bytes are always decoded in this string's own encoding.
  void Empty();
  void Affect(const char* s);
  void Affect(const unsigned char* p);
  void Affect(int n);
  void Affect(const KIVStr& s);
  KIVStr& operator=(const char* s);
  KIVStr& operator=(const unsigned char* p);
  KIVStr& operator=(int n);
  KIVStr& operator=(const KIVStr& s);

  KIVStr& operator<<(int n);
  KIVStr& operator<<(short n);
  KIVStr& operator<<(char c);
  KIVStr& operator<<(const char* s);
  KIVStr& operator<<(const unsigned char* p);
  // A Unicode string: u[0] units follow u[0].
  KIVStr& operator<<(unsigned short* u);
  KIVStr& operator<<(const __CFString* s);
  // Appends nothing, and reports, when p's encoding differs from this one or p is empty.
  KIVStr& operator<<(KIVStr p);

  void Upper();
  void Lower();

  // Comparisons give -1, 0 or 1. The C string and Pascal string forms decode their argument in
  // the system encoding.
  int Compare(const KIVStr& other) const;
  int Compare(const char* s) const;
  int Compare(const unsigned char* p) const;
  int CompareNoCase(const KIVStr& other) const;
  int CompareNoCase(const char* s) const;
  int CompareNoCase(const unsigned char* p) const;

  // Conversion operators. The pointers stay valid until the string is modified, converted again
  // or destroyed.
  operator char*();
  operator char const*() const;
  operator unsigned char*();
  operator unsigned char const*() const;
  void AllocBuffer(short n);
  void ReleaseBuffer();

  // Copies into caller buffers.
  void GetPStringCopy(unsigned char* dst);
  bool GetCStringCopy(char* dst, short len) const;
  void GetUniStringCopy(unsigned short* dst, int max) const;
  void GetUTF8StringCopy(char* dst, long max) const;
  CFStringRef GetCFStringCopy() const;

  // Substrings: system encoding and no feedback object, except the whole-string Right.
  KIVStr Mid(short start, short count) const;
  KIVStr Mid(short start) const;
  KIVStr Left(short n) const;
  KIVStr Right(short n) const;

  void SwapBuffer(char* buffer, int n);
  int strSwapLong(int value);
  void DebugString(const char* text);

protected:
  CFMutableStringRef text;
  mutable Boolean cStringBufferPresent;
  mutable unsigned char pascalBuffer[256];
  CFStringEncoding encoding;
  KIVFeedback* feedback;
  // When set, the destructor deletes the feedback object. Constructors clear it.
  Boolean ownsFeedback;
  mutable char* cStringBuffer;

private:
  void Report(const char* message) const;
  long Units() const;
  void AppendUnitsOf(const KIVStr& source, long start, long count);
  KIVStr Substring(long start, long count) const;
  char* EnsureCStringBuffer(long bytes) const;
  char* ToCString() const;
  unsigned char* ToPascalString() const;

  friend bool KIVEndsBy(KIVStr s, KIVStr suffix);
};

// A copy of a with a copy of b appended; failures go to a's feedback object.
KIVStr operator+(const KIVStr& a, const KIVStr& b);

// True when s ends with suffix, ignoring case.
bool KIVEndsBy(KIVStr s, KIVStr suffix);

#endif
