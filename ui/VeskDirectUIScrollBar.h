// The scroll bar that owns no screen surface: it renders into a private 32-bit bitmap and
// alpha-blends that onto a canvas its host supplies, at its own Left/Top. It never invalidates
// itself: every change raises OnNeedRepaint and the host repaints its surface and calls Paint.
#pragma once

#include "VeskPngScrollBar.h"

class TVeskDirectUIScrollBar
    : public TSkinScrollBarCore<fw::TGraphicControl, TVeskPadding, TVeskScrollkind, TVeskScrollBarRes> {
public:
    FW_CLASSNAME(TVeskDirectUIScrollBar)
    explicit TVeskDirectUIScrollBar(fw::TComponent* AOwner);
    ~TVeskDirectUIScrollBar() override;

    // Copies the resource's skin and prepares it (the first preparation only, as the PNG bar).
    void ApplyScrollRes() override;

    fw::TCanvas* GetTargetCanvas() const { return FTargetCanvas; }
    // The canvas the bar blends itself onto (not owned).
    void SetTargetCanvas(fw::TCanvas* Canvas);
    // Raises OnNeedRepaint; nothing else.
    void RequestRepaint();
    // Draws the bar onto the target canvas; the host calls it while painting its surface.
    void Paint() override;

    fw::TBitmap* GetDrawBitmap() const { return FDrawBitmap.get(); }

    fw::TNotifyEvent OnNeedRepaint;

protected:
    void ScrollRedraw() override { RequestRepaint(); }
    bool LTRectNeedsRB() const override { return false; }
    // The left/top button's height stands for both joined buttons.
    int JoinedTop() const override;
    void PrepareBack() override;
    void DrawBack(fw::TCanvas* Canvas) override;

private:
    fw::TCanvas* FTargetCanvas = nullptr;
    std::unique_ptr<fw::TBitmap> FDrawBitmap;
};
