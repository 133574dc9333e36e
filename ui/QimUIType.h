// Shared vocabulary of the Qim skins: their copy of the split-point record and their enumerations.
#pragma once

#include "VeskType.h"

// The Qim family's split-point record: the Vesk record's properties, defaults, setter and
// assignment; the two do not assign to each other.
class TQimUIPadding : public TSplitPaddingCore<TQimUIPadding> {
public:
    FW_CLASSNAME(TQimUIPadding)
};

enum TSplitMode { SmHor, SmVer };
// The Qim scroll bar's orientation. Its values share their names with TVeskScrollkind's, so the
// enumeration is scoped: TQimUIScrollkind::skHor.
enum class TQimUIScrollkind { skHor, skVer };
enum TQimUIImageType { QimUnknown, QimICON, QimBMP, QimJPG, QimGIF, QimPNG };
