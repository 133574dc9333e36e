// Windowed base of the Qim controls: a 32-bit back buffer with an overall opacity over the
// parent's background.
#pragma once

#include "fw_controls.h"

#include <memory>

class TQimUIParentControl : public fw::TCustomControl {
public:
    FW_CLASSNAME(TQimUIParentControl)
    explicit TQimUIParentControl(fw::TComponent* AOwner);
    ~TQimUIParentControl() override;

    int GetAlpha() const { return FAlpha; }
    virtual void SetAlpha(int Value);
    bool GetTransparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    int GetOption() const { return FOption; }
    virtual void SetOption(int Value);
    bool GetOwnerStyle() const { return FOwnerStyle; }
    void SetOwnerStyle(bool Value) { FOwnerStyle = Value; }
    bool GetShowhint() const { return GetShowHint(); }
    void SetShowhint(bool Value) { SetShowHint(Value); }

    // Descendants draw themselves into the back buffer they are given.
    virtual void DrawControl(fw::TBitmap32* Buffer);
    // Copies the control's rectangle of a canvas holding the parent's image (parent coordinates).
    virtual void CopyParentBackground(fw::TCanvas* Canvas);
    virtual void RequestPaint();
    virtual void OptionChanged();
    // Fills the back buffer from a canvas holding the parent's image, then DrawControl.
    virtual void PaintBuffer(fw::TCanvas* Canvas);

    // False while designing, loading or reading.
    bool CanUpdate() const;

    fw::TBitmap32* GetBackBuffer() const { return FBuffer.get(); }
    fw::TBitmap32* GetParentBuffer() const { return FParentBuffer.get(); }
    bool GetMouseInside() const { return FMouseInside; }
    bool GetLeftButtonDown() const { return FLeftButtonDown; }
    bool GetHoverRepaint() const { return FHoverRepaint; }
    void SetHoverRepaint(bool Value) { FHoverRepaint = Value; }

protected:
    void WndProc(fw::TMessage& Message) override;

    int FAlpha = 255;
    int FOption = 0;
    bool FOwnerStyle = false;
    bool FTransparent = false;
    bool FMouseInside = false;
    bool FLeftButtonDown = false;
    bool FHoverRepaint = true;
    std::unique_ptr<fw::TBitmap32> FBuffer;
    std::unique_ptr<fw::TBitmap32> FParentBuffer;
};
