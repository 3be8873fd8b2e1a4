/// \file
/// A small immutable text object holding UTF-8, the URL argument of the web requests:
/// \code
///   NSString url("http://example.org/"); LoadURLIntoString(&url, buf, sizeof buf, 0);
/// \endcode
/// Compiles as C++11.
#ifndef KIV_DETAIL_NSSTRING_H
#define KIV_DETAIL_NSSTRING_H

#include <string>

/// \addtogroup KivMisc_Frameworks
/// @{

/// The URL text of a web request, held as UTF-8.
class NSString {
public:
  /// Copies the text; a null pointer gives the empty text.
  explicit NSString(const char* utf8) : text_(utf8 ? utf8 : "") {}

  /// The text, valid as long as the object lives.
  const char* UTF8String() const { return text_.c_str(); }

private:
  std::string text_;
};

/// @}

#endif
