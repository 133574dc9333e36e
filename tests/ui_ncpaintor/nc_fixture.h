// Shared pieces of the non-client painter tests: a probe painter that opens its composition state,
// plain forms, pictures made pixel by pixel, and a fixture with an initialised application.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "VeskNcPaintor.h"
#include "fw_forms.h"
#include "test_support.h"

namespace nctest {

class TNcForm : public fw::TForm {
public:
    FW_CLASSNAME(TNcForm)
    TNcForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
};

class TProbePaintor : public TVeskNcPaintor {
public:
    FW_CLASSNAME(TProbePaintor)
    explicit TProbePaintor(fw::TComponent* AOwner) : TVeskNcPaintor(AOwner) {}
    fw::TBitmap* NcBitmap() const { return FNcBitmap.get(); }
    fw::TBitmap* ClientBitmap() const { return FClientBitmap.get(); }
    fw::TRect Margins() const { return FMargins; }
    fw::TRect TextRect() const { return FTextRect; }
    int HoverCode() const { return FHoverCode; }
    int PressedCode() const { return FPressedCode; }
};

// A picture filled with one opaque colour (0x00BBGGRR).
inline TPngPtr SolidPng(int W, int H, fw::TColor C) { return CreateColorPng(W, H, C, 255); }

// An opaque picture whose pixel (x, y) is given by a function returning 0x00BBGGRR.
template <class F>
TPngPtr PaintedPng(int W, int H, F Color) {
    auto p = std::make_unique<fw::TPngImage>();
    p->CreateBlank(fw::png::COLOR_RGB, 8, W, H);
    p->CreateAlpha();
    for (int y = 0; y < H; ++y) {
        uint8_t* row = p->Scanline(y);
        for (int x = 0; x < W; ++x) {
            COLORREF c = static_cast<COLORREF>(Color(x, y));
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    return p;
}

// The skin of that resource name.
inline std::unique_ptr<fw::TPngImage> SkinPng(const wchar_t* Name) {
    auto p = std::make_unique<fw::TPngImage>();
    p->LoadFromResource(GetModuleHandleW(nullptr), Name);
    return p;
}

// Pixel of a 32-bit bitmap as 0x00BBGGRR.
inline COLORREF BmpColor(fw::TBitmap* B, int X, int Y) {
    const uint8_t* px = B->ScanLine(Y) + 4 * X;
    return RGB(px[2], px[1], px[0]);
}

// Colour of a PNG pixel as 0x00BBGGRR.
inline COLORREF PngColor(fw::TPngImage* P, int X, int Y) {
    const uint8_t* px = P->Scanline(Y) + 3 * X;
    return RGB(px[2], px[1], px[0]);
}

inline LPARAM ScreenLParam(const POINT& P) { return MAKELPARAM(static_cast<short>(P.x), static_cast<short>(P.y)); }

// Sets what the painter believes about desktop composition while it lives.
class CompositionAs {
public:
    explicit CompositionAs(bool On) : FSaved(NcCompositionEnabledProc) {
        NcCompositionEnabledProc = On ? TNcCompositionProc([] { return true; }) : TNcCompositionProc([] { return false; });
    }
    ~CompositionAs() { NcCompositionEnabledProc = FSaved; }

private:
    TNcCompositionProc FSaved;
};

class NcTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        fw::Application->ClearTerminated();
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { Errors.push_back(e.Message); };
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        SavedComposition = NcCompositionEnabledProc;
        SavedAllow = NcAllowNcPaintProc;
        // Whether Wine reports composition depends on the Windows version of the prefix: the
        // tests choose it themselves.
        NcCompositionEnabledProc = [] { return false; };
        NcAllowNcPaintProc = [](HWND) {};
    }
    void TearDown() override {
        for (auto it = Objects.rbegin(); it != Objects.rend(); ++it)
            if (*it->alive) it->obj->Free();
        for (auto* c : Components)
            if (c) c->Free();
        Drain();
        NcCompositionEnabledProc = SavedComposition;
        NcAllowNcPaintProc = SavedAllow;
        fw::Application->OnException = nullptr;
        EXPECT_TRUE(Errors.empty()) << (Errors.empty() ? "" : testsupport::Narrow(Errors[0]));
    }
    void Drain(DWORD ms = 20) {
        DWORD end = GetTickCount() + ms;
        do {
            fw::Application->ProcessMessages();
            Sleep(1);
        } while (GetTickCount() < end);
    }
    TNcForm* NewForm(int L = 60, int T = 60, int W = 300, int H = 200) {
        TNcForm* f = fw::TForm::CreateNew<TNcForm>(nullptr);
        f->SetBounds(L, T, W, H);
        Objects.push_back({f, f->AliveToken()});
        return f;
    }
    // A resource with the program's own title-bar skins: caption 26 high, border 1 on every side.
    TVeskNcResource* NewSkinnedResource(fw::TComponent* Owner = nullptr) {
        auto* r = new TVeskNcResource(Owner);
        if (!Owner) Components.push_back(r);
        r->GetFormCaption()->SetImgBkgr(SkinPng(L"nc_caption").get());
        r->GetFormCaption()->SetHeight(26);
        r->GetFormBorder()->SetImgBkgr(SkinPng(L"nc_border").get());
        r->GetFormBorder()->SetLeft(1);
        r->GetFormBorder()->SetTop(1);
        r->GetFormBorder()->SetRight(1);
        r->GetFormBorder()->SetBottom(1);
        r->GetFormLogo()->SetImgBtn(SkinPng(L"nc_logo").get());
        r->GetFormLogo()->SetBtnStateCount(1);
        r->GetBtnClose()->SetImgBtn(SkinPng(L"nc_btn_close").get());
        r->GetBtnMinimize()->SetImgBtn(SkinPng(L"nc_btn_min").get());
        r->GetBtnMaximize()->SetImgBtn(SkinPng(L"nc_btn_max").get());
        r->GetBtnMaximize()->SetImgRestore(SkinPng(L"nc_btn_restore").get());
        r->GetBtnMenu()->SetImgBtn(SkinPng(L"nc_btn_menu").get());
        r->GetBtnSkin()->SetImgBtn(SkinPng(L"nc_btn_skin").get());
        r->GetBtnCustom1()->SetImgBtn(SkinPng(L"nc_btn_menu").get());
        r->Loaded();
        return r;
    }
    // Screen point of a window-coordinate point of the form.
    static POINT ScreenOf(fw::TForm* F, int X, int Y) {
        RECT wr{};
        GetWindowRect(F->GetHandle(), &wr);
        return POINT{wr.left + X, wr.top + Y};
    }
    static POINT Centre(const fw::TRect& R) { return POINT{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }
    int HitAt(fw::TForm* F, int X, int Y) {
        return int(SendMessageW(F->GetHandle(), WM_NCHITTEST, 0, ScreenLParam(ScreenOf(F, X, Y))));
    }

    struct Tracked {
        fw::TObject* obj;
        std::shared_ptr<bool> alive;
    };
    std::vector<Tracked> Objects;
    std::vector<fw::TComponent*> Components;
    std::vector<std::wstring> Errors;
    TNcCompositionProc SavedComposition = nullptr;
    TNcAllowNcPaintProc SavedAllow = nullptr;
};

}  // namespace nctest
