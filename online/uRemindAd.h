// The advertisement panel of the visible window: the item shown (AdInfo), the starter of the
// advertisement reader, the painting of the item in one of six layouts, and the click and hover
// routines. The window's handlers reach them through the online services (TOnlineServicesImpl):
//   imgadclick(Sender)                  -> AdClick()
//   imgadMouseEnter(Sender)             -> AdMouseEnter(Sender)
//   imgadMouseLeave(Sender)             -> AdMouseLeave(Sender)
//   imgadAfterDrawPaint(Sender, Canvas) -> PaintAd(imgad, Canvas)
//   AdArrived(Sender, Item)             -> AdItemArrived(imgad, Item)
// and its creation calls StartAd(<its AdArrived>, this).
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "UAd.h"
#include "fw_base.h"
#include "fw_controls.h"
#include "fw_graphics.h"
#include "fw_png.h"

// Layouts of an item (its Align).
constexpr int AdAlignNone = -1;         // nothing to show yet
constexpr int AdAlignPictureLeft = 0;   // picture left, title right
constexpr int AdAlignPictureAbove = 1;  // picture above, title below
constexpr int AdAlignTitleLeft = 2;     // title left, picture right
constexpr int AdAlignTitleAbove = 3;    // title above, picture below
constexpr int AdAlignPictureOnly = 4;   // picture stretched over the panel
constexpr int AdAlignTitleOnly = 5;     // title only

// The panel shows one line or a few; a longer title is cut when it arrives so that measuring and
// drawing it on every paint stays cheap.
constexpr size_t AdTitleMaxChars = 1024;
// Title sizes beyond this (points; a negative size, a pixel height, likewise) are drawn at this
// size: larger glyphs would not fit the panel anyway, and a font of absurd size costs the system
// much to make.
constexpr int AdFontMaxSize = 200;

// The item shown.
struct TAdInfo {
    std::wstring Link;
    std::wstring Title;
    int Top = 0;
    int Left = 0;
    int Width = 0;
    int Height = 0;
    int Align = AdAlignNone;
    int Frame = 0;
    std::wstring Tips;
    int Interval = 0;
    std::wstring FontName;
    int FontSize = 0;
    fw::TColor FontColor = 0;
    fw::TColor FontColorOver = 0;
    // An owned copy of the item's picture.
    std::unique_ptr<fw::TPngImage> Picture;

    // All numbers 0, texts empty, no picture, Align -1.
    void Clear();
};

extern TAdInfo AdInfo;
// True while the mouse is over the panel.
extern bool AdHover;

// Clears AdInfo, makes the advertisement reader with the program's version, the active language
// file and the cache folder AppDataDir + "UpdateInfo\" (created when missing), and starts it.
// The reader lives until the process ends, so its items arrive whenever the service answers:
// when Receiver is given, OnAd is called only while Receiver still exists, so a window that is
// gone before its item arrives is never called. Returns the reader.
TVeskADReader* StartAd(TVeskAdEvent OnAd, fw::TControl* Receiver = nullptr);

// Takes a reported item as the one shown (its picture copied; a text-only item drops the old
// picture) and repaints Panel (may be nullptr). A null item is ignored.
void AdItemArrived(fw::TControl* Panel, const TagVeskAdInfo* Item);

// Draws AdInfo on Canvas (the panel's off-screen canvas) in its layout. Sender is the panel.
// A layout with a picture whose picture is missing turns into the title-only layout and draws
// nothing in this paint; the next paint shows the title.
void PaintAd(fw::TObject* Sender, fw::TCanvas* Canvas);

// Opens the item's link in the browser; only web addresses (http, https) are opened.
void AdClick();
// Set / clear AdHover and repaint Sender (the panel).
void AdMouseEnter(fw::TObject* Sender);
void AdMouseLeave(fw::TObject* Sender);
