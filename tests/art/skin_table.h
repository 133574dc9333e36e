// Every skin the windows use: resource name, frame size, frame count, the split lines the
// controls cut it at, and who uses it. The form descriptions take their skin names, state counts
// and split values from here; tools/skins/contact_sheet.py reads the same rows (one row per line,
// in this exact shape) to draw the contact sheet.
//
// Split lines are absolute positions inside one frame (x1, y1, x2, y2):
//   Horz  three-part horizontal stretch: columns [x1, x2) are repeated;
//   Vert  three-part vertical stretch: rows [y1, y2) are repeated;
//   Both  nine-part: columns [x1, x2) and rows [y1, y2) are repeated.
// A skin read with margins (the title bar's ImgSplit, the border) is listed with the margins
// turned into positions.
#pragma once

namespace art {

enum class Tile { None, Horz, Vert, Both };

struct SkinSpec {
    const wchar_t* name;
    int frameWidth;
    int frameHeight;
    int frames;
    Tile tile;
    int x1, y1, x2, y2;
    const char* usedBy;
};

// clang-format off
inline constexpr SkinSpec kSkins[] = {
    // Shared non-client resource vkncrsrc1 (caption bar 26 high, border 1 on every side).
    {L"nc_caption",      10, 26, 1, Tile::None,   0, 0, 0, 0,     "FormCaption.ImgBkgr (ImgSplit 0: stretched)"},
    {L"nc_border",        3,  3, 1, Tile::Both,   1, 1, 2, 2,     "FormBorder.ImgBkgr, Left/Top/Right/Bottom 1"},
    {L"nc_logo",         18, 18, 1, Tile::None,   0, 0, 0, 0,     "FormLogo.ImgBtn, BtnStateCount 1"},
    {L"nc_btn_close",    28, 26, 3, Tile::None,   0, 0, 0, 0,     "BtnClose.ImgBtn: normal, over, down"},
    {L"nc_btn_min",      28, 26, 3, Tile::None,   0, 0, 0, 0,     "BtnMinimize.ImgBtn"},
    {L"nc_btn_max",      28, 26, 3, Tile::None,   0, 0, 0, 0,     "BtnMaximize.ImgBtn"},
    {L"nc_btn_restore",  28, 26, 3, Tile::None,   0, 0, 0, 0,     "BtnMaximize.ImgRestore"},
    {L"nc_btn_menu",     28, 26, 3, Tile::None,   0, 0, 0, 0,     "BtnMenu.ImgBtn (window menu)"},
    {L"nc_btn_skin",     28, 26, 3, Tile::None,   0, 0, 0, 0,     "BtnSkin.ImgBtn (backup and restore menu)"},
    // Message box msgdlg.
    {L"msg_btn",         80, 26, 4, Tile::None,   0, 0, 0, 0,     "msgdlg.ImgBtn, ButonStateCount 4"},
    {L"msg_icons",       40, 40, 4, Tile::None,   0, 0, 0, 0,     "msgdlg.ImgMsg: warning, error, information, confirmation"},
    // Popup menus ppmTrayIcon and qzpmn1 (ImgSplit 16,6,20,15; ItemSplit 2,2,5,5).
    {L"menu_back",       36, 21, 1, Tile::Both,  16, 6, 20, 15,   "ImgBack, AlphaWidth 5"},
    {L"menu_item",        8, 25, 3, Tile::Horz,   2, 0, 5, 0,     "ImgItem, ItemStateCount 3: hot, pressed, selected"},
    {L"menu_updown",     24, 12, 6, Tile::None,   0, 0, 0, 0,     "ImgBtnUpDown"},
    {L"menu_line",       20,  7, 1, Tile::None,   0, 0, 0, 0,     "ImgLine (stretched)"},
    {L"menu_arrow",      10, 10, 3, Tile::None,   0, 0, 0, 0,     "ImgSubArrow, SubArrowStateCount 3"},
    {L"menu_check",      16, 16, 2, Tile::None,   0, 0, 0, 0,     "ImgCheck: enabled, disabled"},
    {L"menu_radio",      16, 16, 2, Tile::None,   0, 0, 0, 0,     "ImgRadio: enabled, disabled"},
    // Balloon hint (FormSplit 8,8,14,14; AlphaWidth 3; ArrowStateCount 6).
    {L"hint_back",       22, 22, 1, Tile::Both,   8, 8, 14, 14,   "TveskHint.ImgForm"},
    {L"hint_arrow",      16, 12, 6, Tile::None,   0, 0, 0, 0,     "TveskHint.ImgArrow"},
    // Scroll bars: list view and combo box (TVeskScrollBarRes DPScrollBarRes2, BtnoffSet 0) and
    // the notice list (TQimScrollBarRes, BtnoffSet 8, buttons sbn_up/sbn_down).
    {L"sb_up",           12, 12, 4, Tile::None,   0, 0, 0, 0,     "ImgBtnLT, BtnStateCount 4"},
    {L"sb_down",         12, 12, 4, Tile::None,   0, 0, 0, 0,     "ImgBtnRB, BtnStateCount 4"},
    {L"sbn_up",          12, 20, 4, Tile::None,   0, 0, 0, 0,     "notice ImgBtnLT (BtnoffSet 8)"},
    {L"sbn_down",        12, 20, 4, Tile::None,   0, 0, 0, 0,     "notice ImgBtnRB (BtnoffSet 8)"},
    {L"sb_back",         12, 16, 2, Tile::None,   0, 0, 0, 0,     "ImgBack, BackStateCount 2: normal, disabled"},
    {L"sb_slider",       12, 22, 4, Tile::Vert,   0, 7, 0, 15,    "ImgSlider, SliderSplit.Top 7, Bottom 15"},
    {L"sb_center",        6,  7, 4, Tile::None,   0, 0, 0, 0,     "ImgCenter, CenterStateCount 4"},
    // Visible window TfrmView.
    {L"tab_unfinished", 203, 40, 3, Tile::None,   0, 0, 0, 0,     "btnUnfinish.ImgButton, ButtonStateCount 3"},
    {L"tab_completed",  203, 40, 3, Tile::None,   0, 0, 0, 0,     "btnCompleted.ImgButton, ButtonStateCount 3"},
    {L"btn_new",         76, 34, 4, Tile::None,   0, 0, 0, 0,     "btnNew.ImgButton"},
    {L"list_item",       20, 50, 2, Tile::Horz,   5, 0, 15, 0,    "lbData.Imgitem, ItemStateCount 2, itemsplit 5/15"},
    {L"sel_box",          4,  4, 1, Tile::None,   0, 0, 0, 0,     "lbData.ImgSelBox, lbReminds.ImgSelBox"},
    {L"btn_recover",     25, 29, 4, Tile::None,   0, 0, 0, 0,     "imgStorage 3: btnDetails in completed mode"},
    {L"btn_finish",      25, 29, 4, Tile::None,   0, 0, 0, 0,     "imgStorage 4: btnDelete in unfinished mode"},
    {L"btn_delete",      25, 29, 4, Tile::None,   0, 0, 0, 0,     "imgStorage 5: btnDelete in completed mode"},
    {L"btn_details",     25, 29, 4, Tile::None,   0, 0, 0, 0,     "imgStorage 6: btnDetails in unfinished mode"},
    {L"empty_unfinished",130, 120, 1, Tile::None, 0, 0, 0, 0,     "imgStorage 0: empty unfinished list"},
    {L"empty_arrow",     70, 64, 1, Tile::None,   0, 0, 0, 0,     "imgStorage 1: empty unfinished list"},
    {L"empty_completed",110, 110, 1, Tile::None,  0, 0, 0, 0,     "imgStorage 2: empty completed list"},
    {L"btn_test_idle",   26, 26, 4, Tile::None,   0, 0, 0, 0,     "imgStorage 7: btnTest while idle"},
    {L"btn_test_play",   26, 26, 4, Tile::None,   0, 0, 0, 0,     "imgStorage 8: btnTest while playing"},
    {L"btn_selfile",     26, 26, 4, Tile::None,   0, 0, 0, 0,     "btnSelFile.ImgButton"},
    {L"btn_back",        76, 31, 4, Tile::None,   0, 0, 0, 0,     "btnBack.ImgButton"},
    {L"btn_done",        76, 31, 4, Tile::None,   0, 0, 0, 0,     "btnDone.ImgButton"},
    {L"chk_box",         14, 14, 8, Tile::None,   0, 0, 0, 0,     "ckbM1.ImgCheckBox, CheckStateCount 8 (shared by all 38 boxes)"},
    {L"combo_box",       20, 26, 4, Tile::Horz,   4, 0, 16, 0,    "cbPeriod/cbbVoice.ImgBox, BoxStateCount 4, Boxsplit 4/16"},
    {L"combo_btn",       22, 22, 4, Tile::None,   0, 0, 0, 0,     "cbPeriod/cbbVoice.ImgBtn, BtnStateCount 4"},
    {L"combo_item",      10, 22, 1, Tile::Horz,   3, 0, 7, 0,     "cbPeriod/cbbVoice.Imgitem, ItemStateCount 1, itemsplit 3/7"},
    {L"link_social",     20, 16, 4, Tile::None,   0, 0, 0, 0,     "btn1.ImgButton (Tag 2)"},
    {L"link_micro",      20, 16, 4, Tile::None,   0, 0, 0, 0,     "btn2.ImgButton (Tag 3)"},
    {L"link_mail",       20, 16, 4, Tile::None,   0, 0, 0, 0,     "btn3.ImgButton (Tag 1)"},
    {L"link_home",       20, 16, 4, Tile::None,   0, 0, 0, 0,     "btn4.ImgButton (Tag 4)"},
    // Notice dialog TfrmRemindDlg.
    {L"clock0",          96, 83, 1, Tile::None,   0, 0, 0, 0,     "QimImageStorage1 picture 0"},
    {L"clock1",          96, 83, 1, Tile::None,   0, 0, 0, 0,     "QimImageStorage1 picture 1"},
    {L"clock2",          96, 83, 1, Tile::None,   0, 0, 0, 0,     "QimImageStorage1 picture 2"},
    {L"notice_item",     20, 44, 2, Tile::Horz,   5, 0, 15, 0,    "lbReminds.Imgitem, ItemStateCount 2, itemsplit 5/15"},
    {L"notice_check",    20, 20, 4, Tile::None,   0, 0, 0, 0,     "lbReminds.ImgCheck, CheckStateCount 4"},
    {L"notice_btn",      79, 24, 4, Tile::None,   0, 0, 0, 0,     "btnComplete.ImgButton"},
    // About window TfrmAbout.
    {L"about_picture",   90, 88, 1, Tile::None,   0, 0, 0, 0,     "img1.Picture"},
};
// clang-format on

}  // namespace art
