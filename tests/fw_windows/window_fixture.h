// The window tests use the shared window-test fixture, plus a windowless control of known pixels.
#pragma once

#include "window_test.h"

namespace fwtest {

using namespace testsupport;
using TTestForm = testsupport::TPlainForm;

// A windowless control that fills its whole canvas with one colour (and tries to paint far
// outside its bounds, which the clip must stop) and counts its paints.
class TColorBox : public fw::TGraphicControl {
public:
    FW_CLASSNAME(TColorBox)
    explicit TColorBox(fw::TComponent* AOwner) : TGraphicControl(AOwner) {}
    fw::TColor Fill = fw::clRed;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        GetCanvas()->GetBrush()->SetColor(Fill);
        GetCanvas()->FillRect(fw::TRect(-100, -100, 1000, 1000));
    }
};

// A plain windowed control.
class TPanel : public fw::TCustomControl {
public:
    FW_CLASSNAME(TPanel)
    explicit TPanel(fw::TComponent* AOwner) : TCustomControl(AOwner) {}
};

}  // namespace fwtest
