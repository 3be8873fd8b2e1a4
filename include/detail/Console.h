// The console log: the single output point of the diagnostics log and of the library's other
// console messages. Compiles as C++11.
#ifndef KIV_DETAIL_CONSOLE_H
#define KIV_DETAIL_CONSOLE_H

// Writes `text` as one entry of the console log: one line on standard error,
// "YYYY-MM-DD HH:MM:SS.mmm name[pid:tid] " followed by the text verbatim (never used as a
// format), and the same text to the system log. Bytes that are not valid UTF-8 are written as
// U+FFFD replacement characters; nothing is dropped. A null text writes nothing.
void __SendToConsole(char* text);
// The same for constant text, so that literals need no cast.
void __SendToConsole(const char* text);

#endif
