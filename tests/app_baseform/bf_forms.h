// Windows of the base-window tests, built from descriptions that inherit the base window's.
#pragma once

#include "VeskLabel.h"
#include "VeskPngButton.h"
#include "uBaseForm.h"

class TfrmBaseProbe : public TfrmBase {
public:
    FW_CLASSNAME(TfrmBaseProbe)
    TfrmBaseProbe(const fw::TFormKey& Key, fw::TComponent* AOwner) : TfrmBase(Key, AOwner) {}
#include "bfProbe_form.h"
};

// Replaces ApplyLanguage without calling the base version.
class TfrmBaseOverride : public TfrmBase {
public:
    FW_CLASSNAME(TfrmBaseOverride)
    TfrmBaseOverride(const fw::TFormKey& Key, fw::TComponent* AOwner) : TfrmBase(Key, AOwner) {}
#include "bfOverride_form.h"
    void ApplyLanguage() override { ++OwnApplies; }
    int OwnApplies = 0;
};
