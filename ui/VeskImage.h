// The picture control: a double-buffered windowless control showing a picture at its own size,
// scaled down (or, with Stretch, up) to fit with its aspect ratio kept, optionally centred, with
// paint hooks before and after the picture on the off-screen canvas.
#pragma once

#include "VeskGraphicControl.h"
#include "fw_graphics.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

using fw::TProgressEvent;
using fw::TProgressStage;
using TVeskImagePaint = std::function<void(fw::TObject* Sender, fw::TCanvas* Acanvas)>;

class TVeskImage : public TVeskGraphicControl {
public:
    FW_CLASSNAME(TVeskImage)
    explicit TVeskImage(fw::TComponent* AOwner);
    ~TVeskImage() override;

    fw::TPicture* GetPicture() const { return FPicture.get(); }
    // Copies the given picture into the owned one.
    void SetPicture(fw::TPicture* Value);
    bool GetStretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool GetCenter() const { return FCenter; }
    void SetCenter(bool Value);

    // Where the picture is drawn in the client area.
    fw::TRect DestRect() const;

    TProgressEvent OnProgress;
    TVeskImagePaint OnBeforePaint;
    TVeskImagePaint OnAfterPaint;

protected:
    void Paint() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void PictureChanged(fw::TObject* Sender);
    void Progress(fw::TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const fw::TRect& R,
                  const std::wstring& Msg);

private:
    std::unique_ptr<fw::TPicture> FPicture;
    bool FStretch = false;
    bool FCenter = false;
};
