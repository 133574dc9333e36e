// The Qim family's list of named PNG images, drawn by index, greyed when disabled.
#pragma once

#include "VeskStdImageList.h"

class TQimPngImageItem : public TPngImageItemCore<TQimPngImageItem> {
public:
    FW_CLASSNAME(TQimPngImageItem)
    using TPngImageItemCore::TPngImageItemCore;
};

class TQimPngImageItems : public TPngImageItemsCore<TQimPngImageItem> {
public:
    FW_CLASSNAME(TQimPngImageItems)
    using TPngImageItemsCore::TPngImageItemsCore;
};

class TQimImageList : public TPngImageListCore<TQimPngImageItems> {
public:
    FW_CLASSNAME(TQimImageList)
    using TPngImageListCore::TPngImageListCore;
};
