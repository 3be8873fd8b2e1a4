/// \file
/// KIV_API marks what libkiv exports: the library is built with hidden visibility, so that only
/// the functions and classes declared with this mark are part of its binary interface. Compiles
/// as C++11.
#ifndef KIV_DETAIL_EXPORT_H
#define KIV_DETAIL_EXPORT_H

#if defined(__GNUC__)
#define KIV_API __attribute__((visibility("default")))
#else
#define KIV_API
#endif

#endif
