/// \file
/// The diagnostics log: printf-style entry points that write one console entry per message.
/// Compiles as C++11.
///
/// Linkage: debugcstr, ClearDebugWindow, DebugTimestamp and the formatting Debug are exported
/// under their plain C names (extern "C"), so that C code and symbol lookups find them
/// undecorated. Only one function of a given name can have C linkage, so the Pascal-string twin
/// of Debug stays an ordinary C++ overload beside the C one; KivDebugAlways, KivNoDebug and
/// __SendToDebugWindow are C++ overload sets throughout.
///
/// Every entry point keeps no state, returns nothing and never throws. A null format or string
/// writes nothing.
#ifndef KIV_DETAIL_DIAGNOSTICSLOG_H
#define KIV_DETAIL_DIAGNOSTICSLOG_H

#include "Console.h"
#include "Export.h"

/// \addtogroup KivDebug
/// @{

// Lets the compiler check the arguments of the formatting entry points against their format.
#if defined(__GNUC__)
#define KIV_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define KIV_PRINTF_FORMAT(f, a)
#endif

/// Formats with the vsprintf rules into a 1024-byte buffer and writes the text as one console
/// entry when it is not empty. A longer text is cut to the 1023 bytes that fit (at a UTF-8
/// character boundary).
KIV_API void KivDebugAlways(char* format, ...) KIV_PRINTF_FORMAT(1, 2);
/// The same for constant formats, so that literals need no cast.
KIV_API void KivDebugAlways(const char* format, ...) KIV_PRINTF_FORMAT(1, 2);
/// Writes the entry "str:" followed by the p[0] characters of the Pascal string p.
KIV_API void KivDebugAlways(unsigned char* p);

/// The silent twins: the same arguments, nothing written.
///@{
KIV_API void KivNoDebug(char* format, ...) KIV_PRINTF_FORMAT(1, 2);
KIV_API void KivNoDebug(const char* format, ...) KIV_PRINTF_FORMAT(1, 2);
KIV_API void KivNoDebug(unsigned char* p);
///@}

extern "C" {
/// As the formatting KivDebugAlways, with a 512-byte buffer (at most 511 bytes of text).
KIV_API void Debug(const char* format, ...) KIV_PRINTF_FORMAT(1, 2);
/// Ignores its message.
KIV_API void debugcstr(const char* message);
/// Writes the control entry "~c" (clear the debug window).
KIV_API void ClearDebugWindow(void);
/// Writes the control entry "~t" (time stamp).
KIV_API void DebugTimestamp(void);
}

/// Writes the entry "str:" followed by the Pascal string's characters (512-byte buffer).
KIV_API void Debug(unsigned char* p);

/// Does nothing.
KIV_API void print_trace();

/// Hands the text to __SendToConsole unchanged.
///@{
KIV_API void __SendToDebugWindow(char* text);
KIV_API void __SendToDebugWindow(const char* text);
///@}

/// @}

#endif
