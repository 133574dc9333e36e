// Windowless bases of the Vesk controls: the repaint and notification protocol, and the
// double-buffered control that is transparent through a cached copy of its parent's background.
#pragma once

#include "fw_controls.h"

#include <memory>
#include <string>

class TCustomGraphicControl : public fw::TGraphicControl {
public:
    FW_CLASSNAME(TCustomGraphicControl)
    explicit TCustomGraphicControl(fw::TComponent* AOwner);

    const std::wstring& GetVersion() const { return FVersion; }
    void SetVersion(const std::wstring& Value) { FVersion = Value; }
    bool GetNeedSupportFocuse() const { return FNeedSupportFocuse; }
    void SetNeedSupportFocuse(bool Value) { FNeedSupportFocuse = Value; }

    // Repaint now (the framework's immediate Repaint) unless loading.
    virtual void Redraw();
    virtual void AutoSizeRedraw();
    virtual void AdjustRedraw();
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    virtual void DoFontChanged();
    virtual void DoTextChanged();
    virtual void DoVisibleChanged();

    fw::TNotifyEvent OnMouseEnter;
    fw::TNotifyEvent OnMouseLeave;
    // Notification hooks, fired after the framework handled the change.
    fw::TNotifyEvent OnFontChanged;
    fw::TNotifyEvent OnTextChanged;
    fw::TNotifyEvent OnVisibleChanged;

protected:
    void WndProc(fw::TMessage& Message) override;
    bool IsLoadingState() const { return (GetComponentState() & fw::csLoading) != 0; }
    std::wstring FVersion;
    bool FNeedSupportFocuse = true;
};

class TVeskGraphicControl : public TCustomGraphicControl {
public:
    FW_CLASSNAME(TVeskGraphicControl)
    explicit TVeskGraphicControl(fw::TComponent* AOwner);
    ~TVeskGraphicControl() override;

    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // The canvas descendants draw into (the buffer bitmap's).
    fw::TCanvas* GetBufferCanvas();

    void Redraw() override;
    void DoVisibleChanged() override;
    // Fills the buffer: the parent's background (transparent) or Color.
    virtual void PrepareBuffer();

protected:
    void WndProc(fw::TMessage& Message) override;
    // Puts the buffer on the screen; descendants draw into the buffer first and call this last.
    void Paint() override;

    std::unique_ptr<fw::TBitmap> FBackground;
    std::unique_ptr<fw::TBitmap> FBuffer;
    bool FBackgroundDirty = true;
    bool FTransparent = false;
};
