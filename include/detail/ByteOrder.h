/// \file
/// The host's byte order and byte reversal of 16-bit, 32-bit and double values. Compiles as
/// C++11.
#ifndef KIV_DETAIL_BYTEORDER_H
#define KIV_DETAIL_BYTEORDER_H

#include "Export.h"

/// \addtogroup KivMisc
/// @{

/// 1: little-endian, the host's order.
KIV_API int GetHostByteOrder();

/// The value unchanged when order is 1 (the host's order), otherwise with its bytes reversed.
///@{
KIV_API unsigned short SwapToHost(unsigned short value, char order);
KIV_API short SwapToHost(short value, char order);
KIV_API int SwapToHost(int value, char order);
KIV_API unsigned int SwapToHost(unsigned int value, char order);
KIV_API double SwapToHost(double value, char order);
///@}

/// The value with its bytes reversed, whatever the host.
///@{
KIV_API unsigned short AlwaysSwapByte(unsigned short value);
KIV_API short AlwaysSwapByte(short value);
KIV_API int AlwaysSwapByte(int value);
KIV_API unsigned int AlwaysSwapByte(unsigned int value);
KIV_API double AlwaysSwapByte(double value);
///@}

/// Between big-endian storage and the little-endian host: always the reversal.
///@{
KIV_API short IntelSwapByte(short value);
KIV_API int IntelSwapByte(int value);
KIV_API unsigned int IntelSwapByte(unsigned int value);
KIV_API double IntelSwapByte(double value);
///@}

/// @}

#endif
