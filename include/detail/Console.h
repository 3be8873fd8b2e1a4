/// \file
/// The console log: the single output point of the diagnostics log and of the library's other
/// console messages. Compiles as C++11.
#ifndef KIV_DETAIL_CONSOLE_H
#define KIV_DETAIL_CONSOLE_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// Writes `text` as one entry of the console log: one line on standard error,
/// "YYYY-MM-DD HH:MM:SS.mmm name[pid:tid] " followed by the text (never used as a format), and
/// the same text to the system log. A null text writes nothing.
///
/// One entry is always one whole line:
/// - Control characters are written in a visible form, so that no text can start a line of its
///   own or act on a terminal: line feed as `\n`, carriage return as `\r`, tab as `\t`, the other
///   characters U+0000 to U+001F and U+007F as `\x` followed by two upper-case hexadecimal
///   digits (escape is `\x1B`), and U+0080 to U+009F as `\u00` and two digits (`\u0085`). Every
///   other character, the backslash included, is written as it is.
/// - Bytes that are not valid UTF-8 are written as U+FFFD replacement characters.
/// - A text longer than 65536 bytes is cut to at most 65536, at a character boundary.
/// - Entries from any number of threads never mix: each line is written whole before the next
///   one starts.
KIV_API void __SendToConsole(char* text);
/// The same for constant text, so that literals need no cast.
KIV_API void __SendToConsole(const char* text);

/// @}

#endif
