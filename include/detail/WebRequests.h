/// \file
/// Web requests whose answer body is loaded into a caller's buffer. Compiles as C++11.
///
/// Every request rewrites each "+" in the URL text to "%2B" first, so that a literal plus sign
/// reaches the server as a plus sign. Only http and https URLs are requested; redirects are
/// followed (at most 10, to http and https only) and server certificates are verified.
///
/// result/capacity: at most capacity - 1 bytes of the answer body are copied, as they came,
/// followed by a NUL; a longer answer is cut without notice. The HTTP status is not examined:
/// an error page counts as an answer.
///
/// timeout: the request fails once that many seconds pass in which no byte was sent or received
/// (while connecting, sending or waiting for the answer alike); a server that stays silent
/// fails it between timeout and timeout + 1 seconds, while an answer that keeps coming, however
/// slowly, is never cut. 0 (or a negative value) means the default of 60 seconds. A GET with a
/// non-zero time-out also asks every cache on the way to reload from the origin server
/// ("Cache-Control: no-cache").
///
/// Results: 0 when an answer arrived; -1 when the transport failed (no connection, unknown
/// host, time-out, ...), when the URL cannot be parsed (control characters, blanks or bytes
/// outside ASCII in it), when its scheme is not http or https, or when result is null or
/// capacity is below 1. On -1 the result buffer is left exactly as it was.
#ifndef KIV_DETAIL_WEBREQUESTS_H
#define KIV_DETAIL_WEBREQUESTS_H

#include "Export.h"
#include "NSString.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// GET of the URL held by url.
KIV_API short LoadURLIntoString(NSString* url, char* result, short capacity, int timeout);

/// GET of base and query joined, after percent-escaping each character that may not stand in a
/// URL (a blank becomes "%20"; "+", "&", "=", "?", "/" and the other URL characters stay). A
/// null base or query counts as empty; a byte outside ASCII gives -1.
KIV_API short LoadURLIntoString(const char* base, const char* query, char* result, short capacity,
                                int timeout);

/// POST of body (sent as it is, up to its NUL; null counts as empty) with the headers
/// "Content-Length", "User-Agent" ("<application name> - <system name> <system version>") and
/// "Content-Type: application/x-www-form-urlencoded", in this order.
KIV_API short LoadPostURLIntoString(NSString* url, char* body, char* result, short capacity,
                                    int timeout);

/// @}

#endif
