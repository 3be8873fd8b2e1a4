// The host's byte order and byte reversal of 16-bit, 32-bit and double values. Compiles as
// C++11.
#ifndef KIV_DETAIL_BYTEORDER_H
#define KIV_DETAIL_BYTEORDER_H

// 1: little-endian, the host's order.
int GetHostByteOrder();

// The value unchanged when order is 1 (the host's order), otherwise with its bytes reversed.
unsigned short SwapToHost(unsigned short value, char order);
short SwapToHost(short value, char order);
int SwapToHost(int value, char order);
unsigned int SwapToHost(unsigned int value, char order);
double SwapToHost(double value, char order);

// The value with its bytes reversed, whatever the host.
unsigned short AlwaysSwapByte(unsigned short value);
short AlwaysSwapByte(short value);
int AlwaysSwapByte(int value);
unsigned int AlwaysSwapByte(unsigned int value);
double AlwaysSwapByte(double value);

// Between big-endian storage and the little-endian host: always the reversal.
short IntelSwapByte(short value);
int IntelSwapByte(int value);
unsigned int IntelSwapByte(unsigned int value);
double IntelSwapByte(double value);

#endif
