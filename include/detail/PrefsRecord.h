/// \file
/// The preferences record: the base class of a block of preference data and the storage of such
/// blocks. Compiles as C++11.
///
/// A subclass supplies the defaults of its block (DefaultValues) and the byte-order reversal of
/// its fields (Swap); the block itself belongs to the caller and is passed to every operation.
/// The storage keeps nothing: reading always yields the defaults, writing stores nothing.
#ifndef KIV_DETAIL_PREFSRECORD_H
#define KIV_DETAIL_PREFSRECORD_H

#include "Export.h"

/// \addtogroup KivMisc
/// @{

/// The base class of a block of preference data (see the top of this header).
class KIV_API KIVGlobalPref {
public:
  /// Stores the three values. The name is a Pascal string; a null name is taken as empty and a
  /// name longer than 63 bytes is cut to 63.
  KIVGlobalPref(int intParam, unsigned char* name, short shortParam);
  /// Does nothing; subclasses are deleted through this destructor.
  virtual ~KIVGlobalPref();

  /// Fills data with the block's default values. The base version does nothing.
  virtual void DefaultValues(char* data);
  /// Calls DefaultValues(data) and returns -1: no stored data was found.
  virtual int Read(char* data);
  /// Calls Swap(data) twice, so that a self-inverse Swap leaves the block as it was, and
  /// returns -1: nothing was stored.
  virtual int Write(char* data);
  /// Reverses the byte order of the block's fields in place. The base version does nothing.
  virtual void Swap(char* data);

protected:
  /// The constructor's first argument.
  ///@{
  int fIntParam;
  unsigned char fName[64]; ///< Pascal string, at most 63 bytes of text
  ///@}

  /// The constructor's third argument.
  short fShortParam;
};

/// The storage of preference blocks keeps nothing: both return -1 and touch nothing.
///@{
KIV_API int GetPrefsData(const unsigned char* name, char* data, int intParam, short shortParam);
KIV_API int SetPrefsData(const unsigned char* name, char* data, int intParam, short shortParam);
///@}

/// @}

#endif
