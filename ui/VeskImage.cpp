#include "VeskImage.h"

#include "fw_png.h"

using namespace fw;

TVeskImage::TVeskImage(TComponent* AOwner) : TVeskGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
    SetControlStyle(GetControlStyle() | csOpaque);
    FPicture->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
    FPicture->OnProgress = [this](TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                                  const TRect& R, const std::wstring& Msg) {
        Progress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
    };
    SetBounds(GetLeft(), GetTop(), 105, 105);
}

TVeskImage::~TVeskImage() = default;

void TVeskImage::SetPicture(TPicture* Value) {
    FPicture->Assign(Value);
}

void TVeskImage::SetStretch(bool Value) {
    if (Value == FStretch) return;
    FStretch = Value;
    PictureChanged(this);
}

void TVeskImage::SetCenter(bool Value) {
    if (Value == FCenter) return;
    FCenter = Value;
    PictureChanged(this);
}

void TVeskImage::PictureChanged(TObject* Sender) {
    (void)Sender;
    const int pw = FPicture->GetWidth(), ph = FPicture->GetHeight();
    if (GetAutoSize() && pw > 0 && ph > 0) SetBounds(GetLeft(), GetTop(), pw, ph);
    // Repainted also when the picture was emptied: otherwise the old picture would stay on the
    // screen until something else repaints the control.
    Redraw();
}

void TVeskImage::Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const TRect& R,
                          const std::wstring& Msg) {
    TProgressEvent h = OnProgress;
    if (h) h(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

bool TVeskImage::CanAutoSize(int& NewWidth, int& NewHeight) {
    const int pw = FPicture->GetWidth(), ph = FPicture->GetHeight();
    if (pw <= 0 || ph <= 0) return false;
    NewWidth = pw;
    NewHeight = ph;
    return true;
}

TRect TVeskImage::DestRect() const {
    int w = FPicture->GetWidth(), h = FPicture->GetHeight();
    const int cw = GetClientWidth(), ch = GetClientHeight();
    if (FStretch || w > cw || h > ch) {
        if (w < 1 || h < 1) {
            w = cw;
            h = ch;
        } else {
            // Fit keeping the aspect ratio; the fractions are cut off.
            const long double a = static_cast<long double>(w) / h;
            if (h < w) {
                w = cw;
                h = static_cast<int>(cw / a);
                if (h > ch) {
                    h = ch;
                    w = static_cast<int>(ch * a);
                }
            } else {
                h = ch;
                w = static_cast<int>(ch * a);
                if (w > cw) {
                    w = cw;
                    h = static_cast<int>(cw / a);
                }
            }
        }
    }
    TRect r(0, 0, w, h);
    if (FCenter) r.Offset(DivTrunc(cw - w, 2), DivTrunc(ch - h, 2));
    return r;
}

void TVeskImage::Paint() {
    PrepareBuffer();
    TCanvas* bc = GetBufferCanvas();
    {
        TVeskImagePaint h = OnBeforePaint;
        if (h) h(this, bc);
    }
    TGraphic* g = FPicture->GetGraphic();
    if (g && !g->GetEmpty()) {
        const TRect r = DestRect();
        if (auto* png = dynamic_cast<TPngImage*>(g))
            png->Draw(bc, r);  // blended through its alpha channel
        else
            bc->StretchDraw(r, g);
    }
    {
        TVeskImagePaint h = OnAfterPaint;
        if (h) h(this, bc);
    }
    TVeskGraphicControl::Paint();
}
