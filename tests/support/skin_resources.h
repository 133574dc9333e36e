// Skin resources made of the program's own pictures, as several control tests need them: the
// title-bar resource of the non-client painter and the scroll-bar resources.
#pragma once

#include "VeskNcPaintor.h"
#include "VeskScrollBarRes.h"
#include "skin_support.h"

namespace testsupport {

// The program's title-bar skins: caption 26 high, a one-pixel border, logo, every caption button.
inline TVeskNcResource* NcSkinResource(fw::TComponent* Owner = nullptr) {
    auto* r = new TVeskNcResource(Owner);
    r->GetFormCaption()->SetImgBkgr(Skin(L"nc_caption").get());
    r->GetFormCaption()->SetHeight(26);
    auto* b = r->GetFormBorder();
    b->SetImgBkgr(Skin(L"nc_border").get());
    b->SetLeft(1), b->SetTop(1), b->SetRight(1), b->SetBottom(1);
    r->GetFormLogo()->SetImgBtn(Skin(L"nc_logo").get());
    r->GetFormLogo()->SetBtnStateCount(1);
    const std::pair<TVeskNcBtnEnum, const wchar_t*> btns[] = {
        {vnbClose, L"nc_btn_close"}, {vnbMinimize, L"nc_btn_min"}, {vnbMaximize, L"nc_btn_max"},
        {vnbMenu, L"nc_btn_menu"},   {vnbSkin, L"nc_btn_skin"},    {vnbCustom1, L"nc_btn_menu"}};
    for (auto [id, name] : btns) r->GetBtn(id)->SetImgBtn(Skin(name).get());
    r->GetBtnMaximize()->SetImgRestore(Skin(L"nc_btn_restore").get());
    r->Loaded();
    return r;
}

// A scroll-bar resource of class R with the program's scroll-bar pictures and the given arrows.
template <class R = TVeskScrollBarRes>
R* ScrollSkinRes(fw::TComponent* Owner, const wchar_t* Up = L"sb_up", const wchar_t* Down = L"sb_down") {
    auto* res = new R(Owner);
    res->SetImgBack(Skin(L"sb_back").get());
    res->SetImgSlider(Skin(L"sb_slider").get());
    res->SetImgBtnLT(Skin(Up).get());
    res->SetImgBtnRB(Skin(Down).get());
    res->SetImgCenter(Skin(L"sb_center").get());
    res->GetSliderSplit()->SetTop(7);
    res->GetSliderSplit()->SetBottom(15);
    return res;
}

}  // namespace testsupport
