// One complete skin of the windowed scroll bar, held by a form so that bars created at run time
// copy it. Unlike the Vesk resource it has a split of its own for the back and a strip direction.
#pragma once

#include "QimUIType.h"
#include "VeskScrollBarRes.h"

#include <memory>

class TQimScrollBarRes : public TSkinScrollBarResCore<TQimUIPadding> {
public:
    FW_CLASSNAME(TQimScrollBarRes)
    explicit TQimScrollBarRes(fw::TComponent* AOwner)
        : TSkinScrollBarResCore(AOwner), FBackSplit(std::make_unique<TQimUIPadding>()) {}

    // The back is stretched in three parts exactly when BackSplit.Left < BackSplit.Right.
    TQimUIPadding* GetBackSplit() const { return FBackSplit.get(); }
    void SetBackSplit(TQimUIPadding* Value) { FBackSplit->Assign(Value); }
    TSplitMode GetSplitMode() const { return FSplitMode; }
    void SetSplitMode(TSplitMode Value) { FSplitMode = Value; }

private:
    std::unique_ptr<TQimUIPadding> FBackSplit;
    TSplitMode FSplitMode = SmHor;
};
