// Every published member of every control of the skinned library, set from a form description
// (fgLibrary.form) through the real generator: the loaded window holds each value the description
// gave, each event runs the handler bound to it, and every line of the description has its row.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "fg_library.h"
#include "skin_support.h"
#include "window_test.h"

using namespace fw;
using testsupport::Narrow;

namespace {

using F = TFgLibraryForm;

struct TRow {
    std::string Key;  // component.member, as the description writes it
    std::function<bool(F*)> Holds;
};

// The picture shows the skin of that name (a control may have added an opaque alpha plane).
bool Same(const TPngImage* Png, const char* Skin) {
    const auto skin = testsupport::Skin(std::wstring(Skin, Skin + strlen(Skin)).c_str());
    if (!Png || Png->GetWidth() != skin->GetWidth() || Png->GetHeight() != skin->GetHeight() || Png->GetWidth() == 0)
        return false;
    for (int y = 0; y < Png->GetHeight(); ++y) {
        if (memcmp(Png->Scanline(y), skin->Scanline(y), 3 * size_t(Png->GetWidth())) != 0) return false;
        for (int x = 0; x < Png->GetWidth(); ++x) {
            const uint8_t a = Png->HasAlpha() ? Png->AlphaScanline(y)[x] : 255;
            const uint8_t b = skin->HasAlpha() ? skin->AlphaScanline(y)[x] : 255;
            if (a != b) return false;
        }
    }
    return true;
}
bool Same(TPicture* Picture, const char* Skin) { return Same(dynamic_cast<TPngImage*>(Picture->GetGraphic()), Skin); }

// The event is bound, and firing it (with default arguments) runs exactly one counting handler.
template <class R, class... A>
bool Fires(F* f, const std::function<R(A...)>& Event) {
    if (!Event) return false;
    const int before = f->Fired;
    std::tuple<std::remove_cvref_t<A>...> args{};
    std::apply(Event, args);
    return f->Fired == before + 1;
}

// Rows: ROW (key, condition on the loaded window f); IS: component, property, value; SUB: the
// property of a sub-object; PNG: a picture property showing a skin; EV: an event.
#define ROW(Key, Cond) TRow{Key, [](F* f) { return bool(Cond); }}
#define IS(C, P, V) ROW(#C "." #P, f->C->Get##P() == (V))
#define SUB(C, S, P, V) ROW(#C "." #S "." #P, f->C->Get##S()->Get##P() == (V))
#define PNG(C, P, Skin) ROW(#C "." #P, Same(f->C->Get##P(), Skin))
#define EV(C, E) ROW(#C "." #E, Fires(f, f->C->E))

// The members as the Parts publish them, component by component in the description's order.
const std::vector<TRow>& Rows() {
    static const std::vector<TRow> rows = {
        IS(hint, AlphaWidth, 5), IS(hint, Alpha, 200), IS(hint, ArrowKind, AkRightBottom), IS(hint, ArrowStateCount, 3),
        IS(hint, InterVal, 50), PNG(hint, ImgForm, "hint_back"), PNG(hint, ImgArrow, "hint_arrow"),
        PNG(hint, ImgLogo, "nc_logo"), SUB(hint, FormSplit, Left, 4), SUB(hint, FormSplit, Top, 5),
        SUB(hint, FormSplit, Right, 20), SUB(hint, FormSplit, Bottom, 21), IS(hint, HintText, L"Hint text"),
        SUB(hint, FontHint, Height, -13), SUB(hint, FontTitle, Height, -14), IS(hint, HintTitle, L"Hint title"),
        IS(hint, PauseTime, 4000), IS(hint, DefaultWidth, 250),

        IS(ilStd, ImgHeight, 24), IS(ilStd, ImgWidth, 20),
        ROW("ilStd.Items", f->ilStd->GetCount() == 2 && Same(f->ilStd->GetItems()->Items(0)->GetPng(), "clock0") &&
                               f->ilStd->GetItems()->Items(0)->GetName() == L"first" &&
                               Same(f->ilStd->GetItems()->Items(1)->GetPng(), "clock1") &&
                               f->ilStd->GetItems()->Items(1)->GetName() == L"PngImage1"),
        IS(ilQim, ImgHeight, 18), IS(ilQim, ImgWidth, 22),
        ROW("ilQim.Items", f->ilQim->GetCount() == 1 && Same(f->ilQim->GetItems()->Items(0)->GetPng(), "clock2") &&
                               f->ilQim->GetItems()->Items(0)->GetName() == L"only"),
        ROW("store.Images", f->store->GetImages()->GetCount() == 2 &&
                                Same(f->store->GetImages()->Items(0)->GetPicture(), "about_picture") &&
                                f->store->GetImages()->Items(0)->GetTag() == 7 &&
                                f->store->GetImages()->Items(0)->GetComment() == L"about" &&
                                Same(f->store->GetImages()->Items(1)->GetPicture(), "clock0") &&
                                f->store->GetImages()->Items(1)->GetTag() == 0),

        IS(pm, Alpha, 210), IS(pm, AlphaWidth, 6), IS(pm, MenuBarWidth, 30), SUB(pm, FontNormal, Height, -12),
        SUB(pm, FontOver, Height, -13), SUB(pm, FontDown, Height, -14), SUB(pm, FontDisable, Height, -15),
        SUB(pm, FontSelect, Height, -16), PNG(pm, ImgBack, "menu_back"), SUB(pm, ImgSplit, Left, 16),
        PNG(pm, ImgItem, "menu_item"), PNG(pm, ImgBtnUpDown, "menu_updown"), SUB(pm, ItemSplit, Right, 5),
        IS(pm, ItemHeight, 30), IS(pm, ItemStateCount, 3), PNG(pm, ImgLine, "menu_line"), IS(pm, MinWidth, 100),
        PNG(pm, ImgSubArrow, "menu_arrow"), IS(pm, SubArrowStateCount, 2), PNG(pm, ImgCheck, "menu_check"),
        PNG(pm, ImgRadio, "menu_radio"), IS(pm, HaveBar, true), PNG(pm, ImgBar, "tab_completed"),
        PNG(pm, ImgBarLogo, "nc_logo"), PNG(pm, ImgBarCaption, "tab_unfinished"), IS(pm, ImageList, f->ilQim),
        EV(pm, OnPopup), EV(pm, OnBeforPopup), EV(pm, OnMenuClose),

        IS(tray, Animate, true), IS(tray, BalloonFlags, bfWarning), ROW("tray.Icon", !f->tray->GetIcon()->GetEmpty()),
        IS(tray, Icons, f->ilStd), IS(tray, PopupMenu, f->pm), IS(tray, Hint, L"Tray tip"), IS(tray, IconIndex, 1),
        IS(tray, Visible, true), EV(tray, OnBalloonClick), EV(tray, OnClick), EV(tray, OnDblClick), EV(tray, OnAnimate),
        EV(tray, OnMouseDown), EV(tray, OnMouseUp), EV(tray, OnMouseMove),

        PNG(sbRes, ImgBack, "notice_btn"), PNG(sbRes, ImgSlider, "notice_item"), PNG(sbRes, ImgBtnLT, "link_home"),
        PNG(sbRes, ImgBtnRB, "link_mail"), PNG(sbRes, ImgCenter, "link_micro"), IS(sbRes, SliderStateCount, 3),
        SUB(sbRes, SliderSplit, Top, 7), IS(sbRes, BtnoffSet, 2), IS(sbRes, BtnStateCount, 3),
        IS(sbRes, BackStateCount, 1), IS(sbRes, CenterStateCount, 3), IS(sbRes, ShowButton, false),
        IS(sbRes, JoinButton, true), IS(sbRes, BackUseThree, true),

        PNG(qsbRes, ImgBack, "link_social"), PNG(qsbRes, ImgSlider, "combo_item"), PNG(qsbRes, ImgBtnLT, "btn_done"),
        PNG(qsbRes, ImgBtnRB, "btn_finish"), PNG(qsbRes, ImgCenter, "btn_selfile"), IS(qsbRes, SliderStateCount, 2),
        SUB(qsbRes, SliderSplit, Bottom, 15), IS(qsbRes, BtnoffSet, 8), IS(qsbRes, BtnStateCount, 2),
        IS(qsbRes, BackStateCount, 3), SUB(qsbRes, BackSplit, Left, 1), SUB(qsbRes, BackSplit, Top, 2),
        SUB(qsbRes, BackSplit, Right, 3), SUB(qsbRes, BackSplit, Bottom, 4), IS(qsbRes, CenterStateCount, 2),
        IS(qsbRes, ShowButton, false), IS(qsbRes, JoinButton, true), IS(qsbRes, SplitMode, SmVer),

        ROW("ncr.FormLogo.ImgBtn", Same(f->ncr->GetFormLogo()->GetImgBtn(), "nc_logo")),
        SUB(ncr, FormLogo, BtnStateCount, 1), SUB(ncr, FormLogo, Hint, L"Logo"), SUB(ncr, FormLogo, Left, 6),
        SUB(ncr, FormLogo, Top, 2),
        ROW("ncr.BtnCustom1.ImgBtn", Same(f->ncr->GetBtnCustom1()->GetImgBtn(), "btn_details")),
        SUB(ncr, BtnCustom1, BtnStateCount, 2), SUB(ncr, BtnCustom1, Hint, L"Custom"),
        ROW("ncr.BtnSkin.ImgBtn", Same(f->ncr->GetBtnSkin()->GetImgBtn(), "nc_btn_skin")),
        SUB(ncr, BtnSkin, BtnStateCount, 4), SUB(ncr, BtnSkin, Hint, L"Skin"),
        ROW("ncr.BtnMenu.ImgBtn", Same(f->ncr->GetBtnMenu()->GetImgBtn(), "nc_btn_menu")),
        SUB(ncr, BtnMenu, BtnStateCount, 5), SUB(ncr, BtnMenu, Hint, L"Menu"),
        ROW("ncr.BtnMinimize.ImgBtn", Same(f->ncr->GetBtnMinimize()->GetImgBtn(), "nc_btn_min")),
        SUB(ncr, BtnMinimize, BtnStateCount, 6), SUB(ncr, BtnMinimize, Hint, L"Minimize"),
        ROW("ncr.BtnMaximize.ImgBtn", Same(f->ncr->GetBtnMaximize()->GetImgBtn(), "nc_btn_max")),
        ROW("ncr.BtnMaximize.ImgRestore", Same(f->ncr->GetBtnMaximize()->GetImgRestore(), "nc_btn_restore")),
        SUB(ncr, BtnMaximize, BtnStateCount, 7), SUB(ncr, BtnMaximize, Hint, L"Maximize"),
        ROW("ncr.BtnClose.ImgBtn", Same(f->ncr->GetBtnClose()->GetImgBtn(), "nc_btn_close")),
        SUB(ncr, BtnClose, BtnStateCount, 8), SUB(ncr, BtnClose, Hint, L"Close"), IS(ncr, BtnTopFix, 2),
        IS(ncr, BtnRightFix, 3), SUB(ncr, FormCaption, ColorBkgr, clOlive),
        ROW("ncr.FormCaption.ImgBkgr", Same(f->ncr->GetFormCaption()->GetImgBkgr(), "nc_caption")),
        ROW("ncr.FormCaption.Font.Height", f->ncr->GetFormCaption()->GetFont()->GetHeight() == -17),
        SUB(ncr, FormCaption, TextTopFix, 1), SUB(ncr, FormCaption, TextLeftFix, 5),
        SUB(ncr, FormCaption, TextAlign, taCenter), SUB(ncr, FormCaption, Text, L"Caption text"),
        ROW("ncr.FormCaption.ImgSplit.Left", f->ncr->GetFormCaption()->GetImgSplit()->GetLeft() == 3),
        SUB(ncr, FormCaption, Height, 30), SUB(ncr, FormClient, ColorBkgr, clCream),
        ROW("ncr.FormClient.ImgBkgr", Same(f->ncr->GetFormClient()->GetImgBkgr(), "about_picture")),
        ROW("ncr.FormClient.ImgSplit.Top", f->ncr->GetFormClient()->GetImgSplit()->GetTop() == 4),
        SUB(ncr, FormBorder, ColorBkgr, clMoneyGreen),
        ROW("ncr.FormBorder.ImgBkgr", Same(f->ncr->GetFormBorder()->GetImgBkgr(), "nc_border")),
        SUB(ncr, FormBorder, Right, 3), SUB(ncr, FormBorder, Bottom, 4), SUB(ncr, FormBorder, Top, 5),
        SUB(ncr, FormBorder, Left, 6), SUB(ncr, FormBorder, ShowNotDWM, false), EV(ncr, OnSkinChanged),
        IS(ncr, ShowHint, false), SUB(ncr, LayerSkin, Active, true),
        ROW("ncr.LayerSkin.Shadow", Same(f->ncr->GetLayerSkin()->GetShadow(), "sel_box")),
        ROW("ncr.LayerSkin.Skin", Same(f->ncr->GetLayerSkin()->GetSkin(), "empty_arrow")),
        SUB(ncr, LayerSkin, DrawMode, 2),
        ROW("ncr.LayerSkin.ShadowSplit.Left", f->ncr->GetLayerSkin()->GetShadowSplit()->GetLeft() == 1),
        ROW("ncr.LayerSkin.SkinSplit.Top", f->ncr->GetLayerSkin()->GetSkinSplit()->GetTop() == 2),

        IS(ncp, ShowClient, false), IS(ncp, Resizeable, false), IS(ncp, ShowBtns, (vnbLogo | vnbClose)),
        EV(ncp, OnUpdateNc), IS(ncp, ShowCaption, false), IS(ncp, ShowBorder, false), SUB(ncp, FixSize, MinWidth, 100),
        SUB(ncp, FixSize, MinHeight, 90), SUB(ncp, FixSize, MaxWidth, 900), SUB(ncp, FixSize, MaxHeight, 800),
        IS(ncp, Resource, f->ncr), EV(ncp, OnButtonClick), EV(ncp, OnAfterDrawBtn),

        SUB(msg, FontMsg, Height, -18), SUB(msg, FontBtn, Height, -19), PNG(msg, ImgBtn, "msg_btn"),
        PNG(msg, ImgMsg, "msg_icons"), IS(msg, ButonStateCount, 3), IS(msg, BtnCaptionYes, L"Ja"),
        IS(msg, BtnCaptionNo, L"Nein"), IS(msg, BtnCaptionOk, L"Gut"), IS(msg, ShowClient, false),
        IS(msg, Resource, f->ncr), EV(msg, OnButtonClick), EV(msg, OnAfterDrawBtn),

        IS(qsb, Align, alRight), IS(qsb, Anchors, akRight | akBottom), IS(qsb, Color, clYellow),
        IS(qsb, Hint, L"Qim bar"), IS(qsb, Showhint, true), SUB(qsb, Font, Height, -20), IS(qsb, Visible, false),
        IS(qsb, Enabled, false), IS(qsb, Alpha, 120), IS(qsb, OwnerStyle, true), PNG(qsb, ImgBack, "btn_test_idle"),
        PNG(qsb, ImgSlider, "btn_test_play"), PNG(qsb, ImgBtnLT, "btn_delete"), PNG(qsb, ImgBtnRB, "btn_recover"),
        PNG(qsb, ImgCenter, "clock0"), IS(qsb, SliderStateCount, 3), IS(qsb, CenterStateCount, 3),
        SUB(qsb, SliderSplit, Top, 6), SUB(qsb, BackSplit, Right, 9), IS(qsb, BtnoffSet, 4), IS(qsb, BtnStateCount, 3),
        IS(qsb, BackStateCount, 3), IS(qsb, Min, 5), IS(qsb, Max, 50), IS(qsb, PageSize, 10), IS(qsb, SmallChange, 2),
        IS(qsb, LargeChange, 8), IS(qsb, Position, 20), IS(qsb, kind, TQimUIScrollkind::skHor),
        IS(qsb, ShowButton, false), IS(qsb, JoinButton, true), IS(qsb, SplitMode, SmVer), IS(qsb, Transparent, true),
        EV(qsb, OnScroll), EV(qsb, OnLostFocus),
        ROW("qsb2.ScrollRes", f->qsb2->GetScrollRes() == f->qsbRes && f->qsb2->GetBtnoffSet() == 8),

        IS(lv, Align, alLeft), IS(lv, Anchors, akTop | akRight), SUB(lv, Font, Height, -21), IS(lv, Color, clAqua),
        IS(lv, Enabled, false), IS(lv, Visible, false), IS(lv, Hint, L"List view"), IS(lv, ShowHint, true),
        IS(lv, Taborder, 0), IS(lv, TabStop, false), IS(lv, NeedForceRepaint, true), IS(lv, Transparent, true),
        IS(lv, MultiSelect, true), IS(lv, FontColorNormal, clRed), IS(lv, FontColorOver, clGreen),
        IS(lv, FontColorDown, clMaroon), IS(lv, FontColorDisable, clSilver), IS(lv, DragColor, clFuchsia),
        PNG(lv, ImgBack, "empty_completed"), PNG(lv, Imgitem, "list_item"), SUB(lv, itemsplit, Left, 5),
        SUB(lv, itemsplit, Right, 15), IS(lv, ItemStateCount, 5), PNG(lv, ImgCheck, "chk_box"),
        IS(lv, CheckStateCount, 5), PNG(lv, ImgSelBox, "sel_box"), IS(lv, ShowCheckBox, true),
        IS(lv, ItemRowHeight, 5), IS(lv, Itemheight, 50), IS(lv, ItemWidth, 60), IS(lv, GroupItemHeight, 40),
        IS(lv, ViewStyle, VvsReport), IS(lv, CanDrag, true), IS(lv, PopupMenu, f->pm), IS(lv, SupportRightSelect, true),
        IS(lv, StdImageList, f->ilStd), IS(lv, MarginCheckBox, 3), IS(lv, MarginImageList, 4), IS(lv, MarginText, 5),
        IS(lv, MarginItem, 6), IS(lv, MarginItemY, 7), IS(lv, MarginItemMin, 8), IS(lv, BorderColor, clPurple),
        IS(lv, VerScrollRes, f->sbRes), IS(lv, HorScrollRes, f->sbRes), IS(lv, Imagelist, f->ilStd),
        IS(lv, HotTrack, false), IS(lv, HeadImglist, f->ilStd), SUB(lv, HeaderFont, Height, -22),
        IS(lv, HeaderHeight, 26), IS(lv, HeaderSplitWidth, 4), PNG(lv, ImgHeader, "tab_completed"),
        IS(lv, HeaderStateCount, 2), PNG(lv, ImgHeaderSplit, "menu_line"), IS(lv, HeaderSplitStateCount, 3),
        PNG(lv, ImgHeaderArrow, "empty_arrow"), IS(lv, GroupImgList, f->ilStd), IS(lv, MarginGroupItem, 9),
        IS(lv, MarginGroupImgList, 10), IS(lv, MarginGroupText, 11), IS(lv, ShowGroup, true),
        IS(lv, MarginGroupItemExpandBtn, 12), PNG(lv, ImgGroupBtn, "btn_recover"), EV(lv, OnMouseDown),
        EV(lv, OnMouseEnter), EV(lv, OnMouseLeave), EV(lv, OnMouseMove), EV(lv, OnMouseUp), EV(lv, OnResize),
        EV(lv, OnMouseWheel), EV(lv, OnItemClick), EV(lv, OnItemDbClick), EV(lv, OnItemCheck),
        EV(lv, OnItemSelectChange), EV(lv, OnItemDataDelete), EV(lv, OnGetCaption), EV(lv, OnShowCheckbox),
        EV(lv, OnMeasureItem), EV(lv, OnBeforeItemDraw), EV(lv, OnItemOwnerDraw), EV(lv, OnAfterItemDraw),
        EV(lv, OnSubItemDraw), EV(lv, OnDrawBackGround), EV(lv, OnItemsDrawOffSet), EV(lv, OnItemMouseDown),
        EV(lv, OnItemMouseMove), EV(lv, OnItemMouseUP), EV(lv, OnDragBeging), EV(lv, OnNeedPaint),
        EV(lv, OnHeadClickEvent), EV(lv, OnHeadCheckedEvent), EV(lv, OnHeadItemAfterDraw),
        EV(lv, OnGroupItemsDrawOffSet), EV(lv, OnMeasureGroupItem), EV(lv, OnBeforeGroupItemDraw),
        EV(lv, OnAfterGroupItemDraw), EV(lv, OnGroupItemOwnerDraw), EV(lv, OnGetGCaption),
        EV(lv, OnGroupShowCheckBox), EV(lv, OnGroupItemMouseDown), EV(lv, OnGroupItemMouseMove),
        EV(lv, OnGroupItemMouseUp), EV(lv, OnGroupItemClick), EV(lv, OnGroupItemCheck),

        SUB(lb, Font, Height, -23), IS(lb, Color, clLime), IS(lb, Enabled, false), IS(lb, Visible, false),
        IS(lb, Align, alBottom), IS(lb, Anchors, akLeft | akBottom), IS(lb, Hint, L"List box"), IS(lb, ShowHint, true),
        IS(lb, Taborder, 1), IS(lb, TabStop, false), IS(lb, Alpha, 130), IS(lb, OwnerStyle, true),
        IS(lb, Transparent, true), PNG(lb, ImgBack, "empty_unfinished"), PNG(lb, Imgitem, "notice_item"),
        SUB(lb, itemsplit, Left, 1), SUB(lb, itemsplit, Top, 2), SUB(lb, itemsplit, Right, 3),
        SUB(lb, itemsplit, Bottom, 4), IS(lb, ItemStateCount, 3), PNG(lb, ImgCheck, "notice_check"),
        PNG(lb, ImgSelBox, "sel_box"), IS(lb, CheckStateCount, 2), IS(lb, BorderColor, clTeal),
        IS(lb, ShowCheckBox, true), IS(lb, MultiSelect, true), IS(lb, Imagelist, f->ilQim), IS(lb, Itemheight, 40),
        IS(lb, ItemLeftFix, 3), IS(lb, VerScrollRes, f->qsbRes), IS(lb, HorScrollRes, f->qsbRes),
        IS(lb, FontColorNormal, clRed), IS(lb, FontColorOver, clGreen), IS(lb, FontColorDown, clMaroon),
        IS(lb, FontColorDisable, clSilver), IS(lb, MarginCheckBox, 3), IS(lb, MarginImageList, 4),
        IS(lb, MarginText, 5), IS(lb, MarginItem, 6), IS(lb, SupportRightSelect, true), IS(lb, HotTrack, false),
        EV(lb, OnMouseDown), EV(lb, OnMouseMove), EV(lb, OnMouseUp), EV(lb, OnResize), EV(lb, OnMouseLeave),
        EV(lb, OnMouseEnter), EV(lb, OnItemClick), EV(lb, OnItemDbClick), EV(lb, OnItemCheck),
        EV(lb, OnBeforeItemDraw), EV(lb, OnAfterItemDraw), EV(lb, OnItemOwnerDraw), EV(lb, OnMeasureItem),
        EV(lb, OnDrawBackGround),

        IS(lbl, Align, alBottom), IS(lbl, Alignment, taCenter), IS(lbl, Anchors, akRight | akBottom),
        IS(lbl, AutoSize, false), IS(lbl, BiDiMode, bdRightToLeft), IS(lbl, Caption, L"Label caption"),
        IS(lbl, Color, clYellow), SUB(lbl, Constraints, MaxWidth, 400), IS(lbl, DragCursor, crHandPoint),
        IS(lbl, DragKind, dkDock), IS(lbl, DragMode, dmAutomatic), IS(lbl, EllipsisPosition, epPathEllipsis),
        IS(lbl, Enabled, false), IS(lbl, FocusControl, f->lb), SUB(lbl, Font, Height, -15), IS(lbl, GlowSize, 3),
        IS(lbl, ParentBiDiMode, false), IS(lbl, ParentColor, false), IS(lbl, ParentFont, false),
        IS(lbl, ParentShowHint, false), IS(lbl, PopupMenu, f->pm), IS(lbl, ShowAccelChar, false),
        IS(lbl, ShowHint, true), IS(lbl, Transparent, true), IS(lbl, Layout, tlCenter), IS(lbl, Visible, false),
        IS(lbl, VeskHint, f->hint), IS(lbl, WordWrap, true), IS(lbl, Version, L"2.1"),
        IS(lbl, NeedSupportFocuse, false), EV(lbl, OnClick), EV(lbl, OnContextPopup), EV(lbl, OnDblClick),
        EV(lbl, OnDragDrop), EV(lbl, OnDragOver), EV(lbl, OnEndDock), EV(lbl, OnEndDrag), EV(lbl, OnMouseActivate),
        EV(lbl, OnMouseDown), EV(lbl, OnMouseMove), EV(lbl, OnMouseUp), EV(lbl, OnMouseEnter), EV(lbl, OnMouseLeave),
        EV(lbl, OnStartDock), EV(lbl, OnStartDrag),

        IS(btn, Enabled, false), IS(btn, Visible, false), IS(btn, Align, alTop), IS(btn, Anchors, akRight),
        IS(btn, Color, clAqua), IS(btn, Hint, L"Button hint"), IS(btn, ShowHint, true), IS(btn, Version, L"2.2"),
        IS(btn, NeedSupportFocuse, false), IS(btn, Transparent, false), PNG(btn, ImgButton, "btn_new"),
        PNG(btn, ImgChange, "btn_back"), IS(btn, ButtonStateCount, 3), SUB(btn, ImgSplit, Top, 3),
        IS(btn, ChangedState, true), SUB(btn, FontNormal, Height, -10), SUB(btn, FontOver, Height, -12),
        SUB(btn, FontDown, Height, -13), SUB(btn, FontDisable, Height, -14), SUB(btn, FontFocus, Height, -15),
        SUB(btn, FontSelect, Height, -16), IS(btn, CanSelect, true), IS(btn, CanFocus, true), IS(btn, Caption, L"Press"),
        PNG(btn, Graph, "clock2"), IS(btn, BtnStatus, bsSelect), IS(btn, Layout, vlGlphyBottom),
        IS(btn, GraphTopFix, 1), IS(btn, GraphLeftFix, 2), IS(btn, CaptionTopFix, 3), IS(btn, CaptionLeftFix, 4),
        IS(btn, OnlyUseCaptionLeftFix, true), IS(btn, GroupIndex, 5), IS(btn, ButtonTab, true),
        IS(btn, ImgList, f->ilQim), IS(btn, ImgIndex, 1), EV(btn, OnClick), EV(btn, OnSelect), EV(btn, OnSelectChange),
        EV(btn, OnBeforeDraw), EV(btn, OnAfterDraw),

        IS(img, Align, alClient), IS(img, Anchors, akLeft), IS(img, AutoSize, true), IS(img, Hint, L"Image hint"),
        IS(img, Enabled, false), IS(img, Visible, false), IS(img, ShowHint, true), IS(img, Transparent, true),
        IS(img, Center, true), PNG(img, Picture, "clock1"), IS(img, Stretch, true), IS(img, Version, L"2.3"),
        IS(img, NeedSupportFocuse, false), EV(img, OnClick), EV(img, OnDblClick), EV(img, OnDragDrop),
        EV(img, OnDragOver), EV(img, OnEndDock), EV(img, OnEndDrag), EV(img, OnMouseActivate), EV(img, OnMouseDown),
        EV(img, OnMouseEnter), EV(img, OnMouseLeave), EV(img, OnMouseMove), EV(img, OnMouseUp), EV(img, OnStartDock),
        EV(img, OnStartDrag), EV(img, OnProgress), EV(img, OnBeforePaint), EV(img, OnAfterPaint),

        IS(chk, Anchors, akTop), SUB(chk, Font, Height, -24), IS(chk, Enabled, false), IS(chk, Visible, false),
        IS(chk, Color, clLime), IS(chk, Hint, L"Check hint"), IS(chk, Showhint, true),
        IS(chk, Transparent, true), PNG(chk, ImgCheckBox, "chk_box"), PNG(chk, ImgRadioBox, "menu_radio"),
        IS(chk, CheckStateCount, 4), IS(chk, Caption, L"Check me"), IS(chk, FontColorNormal, clRed),
        IS(chk, FontColorOver, clGreen), IS(chk, FontColorDown, clMaroon), IS(chk, FontColorDisable, clSilver),
        IS(chk, Checked, true), IS(chk, RadioItem, true), IS(chk, TextOffset, 6), IS(chk, AutoShowHint, false),
        IS(chk, Version, L"2.4"), IS(chk, NeedSupportFocuse, false), EV(chk, OnClick), EV(chk, OnCheck),

        IS(cb, Align, alTop), IS(cb, Anchors, akLeft | akRight), IS(cb, Enabled, false), IS(cb, Visible, false),
        SUB(cb, Font, Height, -25), IS(cb, Color, clSilver), IS(cb, Hint, L"Combo hint"), IS(cb, ShowHint, true),
        IS(cb, Transparent, true),
        // The index waits for its item: the program fills its boxes after loading.
        ROW("cb.index", (f->cb->AddItem(), f->cb->AddItem(), f->cb->Getindex() == 1)), IS(cb, Alpha, 190),
        IS(cb, AlphaWidth, 4), IS(cb, FontColorNormal, clRed), IS(cb, FontColorOver, clGreen),
        IS(cb, FontColorDown, clMaroon), IS(cb, FontColorDisable, clSilver), IS(cb, FontItemColorNormal, clOlive),
        IS(cb, FontItemColorOver, clTeal), IS(cb, FontItemColorDown, clPurple), IS(cb, FontItemColorDisable, clBlack),
        IS(cb, ShowCheckBox, true), IS(cb, ShowitemCount, 5), PNG(cb, ImgBox, "combo_box"), IS(cb, BoxStateCount, 3),
        SUB(cb, Boxsplit, Left, 4), PNG(cb, ImgBtn, "combo_btn"), IS(cb, BtnStateCount, 3), IS(cb, BtnOffSet, 2),
        PNG(cb, ImgExtraBtn, "btn_details"), IS(cb, ExtraBtn, true), IS(cb, ExtraBtnLeft, true),
        IS(cb, ExtraBtnHint, L"Extra"), PNG(cb, ImgForm, "menu_back"), SUB(cb, Formsplit, Left, 3),
        PNG(cb, Imgitem, "combo_item"), IS(cb, ItemStateCount, 2), SUB(cb, itemsplit, Left, 2),
        PNG(cb, ImgCheck, "notice_check"), IS(cb, CheckStateCount, 3), IS(cb, Imagelist, f->ilQim),
        IS(cb, ImgIndex, 2), IS(cb, CanInput, true), IS(cb, VerScrollRes, f->sbRes), IS(cb, VerScrollWidth, 12),
        IS(cb, Version, L"2.5"), IS(cb, NeedSupportFocuse, false), EV(cb, OnbtnClick), EV(cb, OnExtraBtnClick),
        EV(cb, OnItemClick), EV(cb, OnItemCheck), EV(cb, OnChange), EV(cb, OnLostFocus), EV(cb, OnKeyPress),

        IS(psb, Align, alRight), IS(psb, Anchors, akTop | akBottom), IS(psb, Color, clPurple),
        IS(psb, Hint, L"PNG bar"), IS(psb, Showhint, true), IS(psb, Transparent, true), PNG(psb, ImgBack, "tab_completed"),
        PNG(psb, ImgSlider, "tab_unfinished"), PNG(psb, ImgBtnLT, "empty_arrow"), PNG(psb, ImgBtnRB, "hint_arrow"),
        PNG(psb, ImgCenter, "clock1"), IS(psb, SliderStateCount, 2), IS(psb, CenterStateCount, 2),
        SUB(psb, SliderSplit, Bottom, 9), IS(psb, BtnoffSet, 1), IS(psb, BtnStateCount, 2), IS(psb, BackStateCount, 1),
        IS(psb, Min, 5), IS(psb, Max, 50), IS(psb, PageSize, 10), IS(psb, SmallChange, 2), IS(psb, LargeChange, 8),
        IS(psb, Position, 20), IS(psb, kind, skHor), IS(psb, ShowButton, false), IS(psb, JoinButton, true),
        IS(psb, BackUseThree, true), IS(psb, Version, L"2.6"), IS(psb, NeedSupportFocuse, false), EV(psb, OnScroll),
        ROW("psb2.ScrollRes", f->psb2->GetScrollRes() == f->sbRes && f->psb2->GetBtnoffSet() == 2),

        IS(dsb, Align, alLeft), IS(dsb, Anchors, akLeft | akTop | akBottom), IS(dsb, Color, clTeal),
        IS(dsb, Hint, L"Direct bar"), IS(dsb, Showhint, true), PNG(dsb, ImgBack, "menu_item"),
        PNG(dsb, ImgSlider, "menu_back"), PNG(dsb, ImgBtnLT, "menu_check"), PNG(dsb, ImgBtnRB, "menu_radio"),
        PNG(dsb, ImgCenter, "clock2"), IS(dsb, SliderStateCount, 1), IS(dsb, CenterStateCount, 1),
        SUB(dsb, SliderSplit, Left, 2), IS(dsb, BtnoffSet, 3), IS(dsb, BtnStateCount, 1), IS(dsb, BackStateCount, 3),
        IS(dsb, Min, -10), IS(dsb, Max, 10), IS(dsb, PageSize, 4), IS(dsb, SmallChange, 3), IS(dsb, LargeChange, 6),
        IS(dsb, Position, 7), IS(dsb, kind, skHor), IS(dsb, ShowButton, false), IS(dsb, JoinButton, true),
        EV(dsb, OnScroll), EV(dsb, OnNeedRepaint),
        ROW("dsb2.ScrollRes", f->dsb2->GetScrollRes() == f->sbRes && f->dsb2->GetBtnoffSet() == 2),
    };
    return rows;
}

// component.member of every value line of the description.
std::set<std::string> DescriptionKeys() {
    std::ifstream in(Narrow(testsupport::SourceDir() + L"\\tests\\formgen\\forms\\fgLibrary.form"));
    std::set<std::string> keys;
    std::vector<std::string> objects;
    for (std::string line; std::getline(in, line);) {
        line.erase(0, line.find_first_not_of(' '));
        if (line.starts_with("object "))
            objects.push_back(line.substr(7, line.find(':') - 7));
        else if (line == "end" && !objects.empty())
            objects.pop_back();
        else if (const size_t eq = line.find(" = "); eq != std::string::npos && !objects.empty())
            keys.insert(objects.back() + "." + line.substr(0, eq));
    }
    return keys;
}

BOOL WINAPI NoShell(DWORD, PNOTIFYICONDATAW) { return TRUE; }

class LibraryMembersTest : public testsupport::WindowTest {};

TEST_F(LibraryMembersTest, EveryPublishedMemberOfEveryControlIsSetFromADescription) {
    // The tray icon asks for its place in the notification area while the window is read.
    testsupport::TSwap<TShellNotifyIconProc> shell(ShellNotifyIconProc, NoShell);
    F* f = TForm::CreateForm<F>(Application);
    std::set<std::string> keys;
    for (const TRow& row : Rows()) {
        EXPECT_TRUE(row.Holds(f)) << row.Key;
        EXPECT_TRUE(keys.insert(row.Key).second) << "two rows for " << row.Key;
    }
    // Each line of the description has its row, and each row a line.
    const std::set<std::string> described = DescriptionKeys();
    for (const std::string& k : described) EXPECT_TRUE(keys.count(k)) << "described, not checked: " << k;
    for (const std::string& k : keys) EXPECT_TRUE(described.count(k)) << "checked, not described: " << k;
    f->Free();
}

}  // namespace
