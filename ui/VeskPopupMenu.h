// The program's own popup menu: a tree of menu items shown as up to three levels of layered,
// per-pixel-alpha windows drawn entirely from PNG skins. There is no platform menu behind it and
// no keyboard navigation; keys reach items only through HandleShortCut, which the owning window
// calls from its own key handling.
#pragma once

#include "VeskDrawing.h"
#include "VeskStdImageList.h"
#include "VeskType.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "fw_shortcuts.h"
#include "fw_timer.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TVeskPopupMenu;

class TVeskMenuItem : public fw::TPersistent {
public:
    FW_CLASSNAME(TVeskMenuItem)
    TVeskMenuItem();
    ~TVeskMenuItem() override;

    const std::wstring& GetCaption() const { return FCaption; }
    void SetCaption(const std::wstring& Value) { FCaption = Value; }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Child Index, or nullptr outside the list.
    TVeskMenuItem* GetItem(int Index) const;
    const std::vector<TVeskMenuItem*>& GetItems() const { return FItems; }
    TVeskMenuItem* GetParent() const { return FParent; }
    int GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value) { FGroupIndex = Value; }
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }
    bool GetAutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value) { FAutoCheck = Value; }
    bool GetChecked() const { return FChecked; }
    // Stores the value when it differs; nothing is repainted.
    void SetChecked(bool Value);
    bool GetSelected() const { return FSelected; }
    void SetSelected(bool Value) { FSelected = Value; }
    bool GetRadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value) { FRadioItem = Value; }
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    fw::TShortCut GetShortCut() const { return FShortCut; }
    // Stores the value when it differs; a shortcut set after the item was added to a menu is not
    // known to that menu's shortcut dispatch.
    void SetShortCut(fw::TShortCut Value);
    const fw::TRect& GetItemRect() const { return FItemRect; }
    void SetItemRect(const fw::TRect& Value) { FItemRect = Value; }
    SIZE GetCaptionSize() const { return FCaptionSize; }
    void SetCaptionSize(SIZE Value) { FCaptionSize = Value; }
    SIZE GetShortCutSize() const { return FShortCutSize; }
    void SetShortCutSize(SIZE Value) { FShortCutSize = Value; }
    // The row height; -1 means the menu's ItemHeight.
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value) { FHeight = Value; }
    intptr_t GetTag() const { return FTag; }
    void SetTag(intptr_t Value) { FTag = Value; }

    // Makes Item a child of this item: appended for Index -1, else inserted at Index (clamped to
    // the list). The menu's shortcut list is not touched.
    void InsertItem(TVeskMenuItem* Item, int Index = -1);
    // Frees every child (the last first, each with its own children).
    void ClearItems();
    bool IsLine() const { return FCaption == L"-"; }

    fw::TNotifyEvent OnClick;

private:
    friend class TVeskPopupMenu;
    std::wstring FCaption;
    std::vector<TVeskMenuItem*> FItems;
    TVeskMenuItem* FParent = nullptr;
    int FGroupIndex = 0;
    bool FEnabled = true;
    bool FVisible = true;
    bool FAutoCheck = false;
    bool FChecked = false;
    bool FSelected = false;
    bool FRadioItem = false;
    int FImageIndex = -1;
    fw::TShortCut FShortCut = 0;
    fw::TRect FItemRect{-1, -1, -1, -1};
    SIZE FCaptionSize{-1, -1};
    SIZE FShortCutSize{-1, -1};
    int FHeight = -1;
    intptr_t FTag = 0;
    // The menu whose tree holds this item (told when the item dies, so that it keeps no
    // reference to it).
    TVeskPopupMenu* FMenu = nullptr;
    // Reset when the item dies: a click whose close event freed the item is dropped.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// One open level of a popup menu: a borderless, stay-on-top layered window whose picture the menu
// paints and pushes. It never activates on a click and erases nothing.
class TVeskMenuForm : public fw::TForm {
public:
    FW_CLASSNAME(TVeskMenuForm)
    TVeskMenuForm(const fw::TFormKey& Key, fw::TComponent* AOwner);

    bool GetReadyShow() const { return FReadyShow; }
    void SetReadyShow(bool Value) { FReadyShow = Value; }
    TVeskPopupMenu* GetMenu() const { return FMenu; }
    void SetMenu(TVeskPopupMenu* Value) { FMenu = Value; }
    // Unlinks the window from its menu, hides it and destroys it: at once, or once its own
    // message that is running has returned.
    void Dispose();

protected:
    void CreateParams(fw::TCreateParams& Params) override;
    void WndProc(fw::TMessage& Message) override;

private:
    bool FReadyShow = false;
    TVeskPopupMenu* FMenu = nullptr;
};

using TVeskMenuPopupEvent = std::function<void(fw::TObject* Sender, bool& Canshow)>;

class TVeskPopupMenu : public fw::TPopupMenuBase {
public:
    FW_CLASSNAME(TVeskPopupMenu)
    explicit TVeskPopupMenu(fw::TComponent* AOwner);
    ~TVeskPopupMenu() override;

    void Loaded() override;

    // Published properties.
    int GetAlpha() const { return FAlpha; }
    void SetAlpha(int Value);
    int GetAlphaWidth() const { return FAlphaWidth; }
    void SetAlphaWidth(int Value);
    int GetMenuBarWidth() const { return FMenuBarWidth; }
    void SetMenuBarWidth(int Value);
    fw::TFont* GetFontNormal() const { return FFontNormal.get(); }
    void SetFontNormal(fw::TFont* Value);
    fw::TFont* GetFontOver() const { return FFontOver.get(); }
    void SetFontOver(fw::TFont* Value);
    fw::TFont* GetFontDown() const { return FFontDown.get(); }
    void SetFontDown(fw::TFont* Value);
    fw::TFont* GetFontDisable() const { return FFontDisable.get(); }
    void SetFontDisable(fw::TFont* Value);
    fw::TFont* GetFontSelect() const { return FFontSelect.get(); }
    void SetFontSelect(fw::TFont* Value);
    fw::TPngImage* GetImgBack() const { return FImgBack.get(); }
    void SetImgBack(fw::TPngImage* Value);
    TVeskPadding* GetImgSplit() const { return FImgSplit.get(); }
    void SetImgSplit(TVeskPadding* Value);
    fw::TPngImage* GetImgItem() const { return FImgItem.get(); }
    void SetImgItem(fw::TPngImage* Value);
    fw::TPngImage* GetImgBtnUpDown() const { return FImgBtnUpDown.get(); }
    void SetImgBtnUpDown(fw::TPngImage* Value);
    TVeskPadding* GetItemSplit() const { return FItemSplit.get(); }
    void SetItemSplit(TVeskPadding* Value);
    int GetItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    int GetItemStateCount() const { return FItemStateCount; }
    void SetItemStateCount(int Value);
    fw::TPngImage* GetImgLine() const { return FImgLine.get(); }
    void SetImgLine(fw::TPngImage* Value);
    int GetMinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value);
    fw::TPngImage* GetImgSubArrow() const { return FImgSubArrow.get(); }
    void SetImgSubArrow(fw::TPngImage* Value);
    int GetSubArrowStateCount() const { return FSubArrowStateCount; }
    void SetSubArrowStateCount(int Value);
    fw::TPngImage* GetImgCheck() const { return FImgCheck.get(); }
    void SetImgCheck(fw::TPngImage* Value);
    fw::TPngImage* GetImgRadio() const { return FImgRadio.get(); }
    void SetImgRadio(fw::TPngImage* Value);
    bool GetHaveBar() const { return FHaveBar; }
    void SetHaveBar(bool Value);
    fw::TPngImage* GetImgBar() const { return FImgBar.get(); }
    void SetImgBar(fw::TPngImage* Value);
    fw::TPngImage* GetImgBarLogo() const { return FImgBarLogo.get(); }
    void SetImgBarLogo(fw::TPngImage* Value);
    fw::TPngImage* GetImgBarCaption() const { return FImgBarCaption.get(); }
    void SetImgBarCaption(fw::TPngImage* Value);
    TVeskCustomImageList* GetImageList() const { return FImageList; }
    void SetImageList(TVeskCustomImageList* Value);

    fw::TNotifyEvent OnPopup;
    TVeskMenuPopupEvent OnBeforPopup;
    fw::TNotifyEvent OnMenuClose;

    // The item tree.
    int Count() const { return static_cast<int>(FItems.size()); }
    // The top-level item at Index, or nullptr outside the list.
    TVeskMenuItem* GetItem(int Index) const;
    const std::vector<TVeskMenuItem*>& GetItems() const { return FItems; }
    // Adds a top-level item (appended for Index -1) and registers the shortcuts of the item and
    // of its subtree as they are now.
    void InsertItem(TVeskMenuItem* Item, int Index = -1);
    void ClearItems();
    // The items whose shortcuts HandleShortCut looks at, in registration order.
    const std::vector<TVeskMenuItem*>& GetShortCutItems() const { return FShortCutItems; }

    // Shows level 1 with its top-left corner at the screen point, kept inside the work area.
    void Popup(int X, int Y) override;
    void CloseMenu();
    // Runs the first registered, visible and enabled item whose shortcut is Key with Shift.
    void HandleShortCut(fw::TShiftState Shift, WORD Key);

    // Level state (levels 1, 2, 3).
    bool GetShown() const { return FShown; }
    int GetLevelWidth(int Level) const { return L(Level).Width; }
    int GetLevelHeight(int Level) const { return L(Level).Height; }
    bool GetLevelScrollable(int Level) const { return L(Level).Scrollable; }
    int GetLevelFirstIndex(int Level) const { return L(Level).FirstIndex; }
    int GetLevelShownCount(int Level) const { return L(Level).ShownCount; }
    fw::TRect GetLevelUpRect(int Level) const { return L(Level).UpRect; }
    fw::TRect GetLevelDownRect(int Level) const { return L(Level).DownRect; }
    bool GetLevelUpHot(int Level) const { return L(Level).UpHot; }
    bool GetLevelUpPressed(int Level) const { return L(Level).UpPressed; }
    bool GetLevelDownHot(int Level) const { return L(Level).DownHot; }
    bool GetLevelDownPressed(int Level) const { return L(Level).DownPressed; }
    TVeskMenuForm* GetLevelForm(int Level) const { return L(Level).Form; }
    fw::TBitmap* GetLevelBitmap(int Level) const { return L(Level).Frame.get(); }
    TVeskMenuItem* GetHotItem() const { return FHotItem; }
    TVeskMenuItem* GetPressedItem() const { return FPressedItem; }
    TVeskMenuItem* GetLevel2Parent() const { return FLevel2Parent; }
    TVeskMenuItem* GetLevel3Parent() const { return FLevel3Parent; }
    fw::TTimer* GetRepeatTimer() const { return FRepeatTimer; }

    // Measuring, painting and pushing of a level (Parent: the item whose children level 2 or 3
    // shows; ignored for level 1).
    void MeasureLevel(int Level, TVeskMenuItem* Parent);
    void PaintLevelBackground(int Level);
    void PaintLevel(int Level, TVeskMenuItem* Parent);
    void DrawItem(int Level, fw::TCanvas* Canvas, TVeskMenuItem* Item);
    void PushLevel(int Level);
    void OpenLevel2(TVeskMenuItem* Item);
    void OpenLevel3(TVeskMenuItem* Item);
    void ItemClick(TVeskMenuItem* Item);
    void StartRepeat(bool First);
    // One scroll step of a level (Down: toward the end of the list); repaints when it moved.
    void ScrollLevel(int Level, bool Down);
    static int MenuRepeatDelay();
    static int MenuRepeatInterval();

    // The handlers the level windows are bound to (Level 1, 2 or 3).
    void LevelMouseMove(int Level, fw::TObject* Sender, fw::TShiftState Shift, int X, int Y);
    void LevelMouseDown(int Level, fw::TObject* Sender, fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y);
    void LevelMouseUp(int Level, fw::TObject* Sender, fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y);
    void LevelMouseWheel(int Level, fw::TObject* Sender, fw::TShiftState Shift, int WheelDelta, fw::TPoint MousePos,
                         bool& Handled);

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void BeforeDestruction() override;

private:
    friend class TVeskMenuItem;
    struct TLevel {
        int Width = 0;
        int Height = 0;
        bool Scrollable = false;
        int FirstIndex = 0;
        int ShownCount = 0;
        fw::TRect UpRect{-1, -1, -1, -1};
        fw::TRect DownRect{-1, -1, -1, -1};
        bool UpHot = false, UpPressed = false, DownHot = false, DownPressed = false;
        TVeskMenuForm* Form = nullptr;
        std::unique_ptr<fw::TBitmap> Frame;
        std::unique_ptr<fw::TBitmap> BackCache;
        // The split lines, margin and side bar the cached background was made with: a change
        // through the padding objects reaches no setter, and must not keep a stale picture.
        std::array<int, 6> BackKey{};
        std::array<TPngPtr, 3> ItemImages;
        int ItemImagesWidth = -1;
        std::array<int, 2> ItemImagesKey{};
        // Row heights of the last measuring, by item.
        std::vector<int> RowHeights;
    };
    const TLevel& L(int Level) const { return FLevels[Level >= 1 && Level <= 3 ? Level - 1 : 0]; }
    TLevel& L(int Level) { return FLevels[Level >= 1 && Level <= 3 ? Level - 1 : 0]; }
    // The items a level shows: the top-level items, or the children of Parent.
    const std::vector<TVeskMenuItem*>* LevelItems(int Level, TVeskMenuItem* Parent) const;
    TVeskMenuItem* LevelParent(int Level) const;
    fw::TFont* ItemFont(TVeskMenuItem* Item, bool WithOpenSubmenu);
    int SeparatorHeight() const;
    int BarWidth() const;
    void UpdateItemImages(int Level);
    void RepaintLevel(int Level);
    TVeskMenuForm* CreateLevelForm(int Level);
    void CloseLevel2();
    void CloseLevel3();
    void DisposeLevelForm(int Level);
    void RegisterShortCuts(TVeskMenuItem* Item);
    void ItemDestroying(TVeskMenuItem* Item);
    // Closes the menu, then runs the item's OnClick if the item survived the close event.
    void CloseAndClick(TVeskMenuItem* Item);
    void RepeatTick(fw::TObject* Sender);
    static fw::TRect WorkArea();
    bool IsLevelSender(int Level, fw::TObject* Sender) const;
    void AssignPng(std::unique_ptr<fw::TPngImage>& Field, fw::TPngImage* Value);
    void AssignFont(std::unique_ptr<fw::TFont>& Field, fw::TFont* Value);

    int FAlpha = 255;
    int FAlphaWidth = 8;
    int FMenuBarWidth = 16;
    std::unique_ptr<fw::TFont> FFontNormal, FFontOver, FFontDown, FFontDisable, FFontSelect;
    std::unique_ptr<fw::TPngImage> FImgBack;
    std::unique_ptr<TVeskPadding> FImgSplit;
    std::unique_ptr<fw::TPngImage> FImgItem;
    std::unique_ptr<fw::TPngImage> FImgBtnUpDown;
    std::unique_ptr<TVeskPadding> FItemSplit;
    int FItemHeight = 22;
    int FItemStateCount = 4;
    std::unique_ptr<fw::TPngImage> FImgLine;
    int FMinWidth = 0;
    std::unique_ptr<fw::TPngImage> FImgSubArrow;
    int FSubArrowStateCount = 3;
    std::unique_ptr<fw::TPngImage> FImgCheck;
    std::unique_ptr<fw::TPngImage> FImgRadio;
    bool FHaveBar = false;
    std::unique_ptr<fw::TPngImage> FImgBar, FImgBarLogo, FImgBarCaption;
    TVeskCustomImageList* FImageList = nullptr;

    std::vector<TVeskMenuItem*> FItems;
    std::vector<TVeskMenuItem*> FShortCutItems;
    std::array<TLevel, 3> FLevels;
    // Cut skin frames.
    std::array<TPngPtr, 2> FCheckFrames;
    std::array<TPngPtr, 2> FRadioFrames;
    std::array<TPngPtr, 3> FArrowFrames;
    std::array<TPngPtr, 6> FUpDownFrames;
    TVeskMenuItem* FHotItem = nullptr;
    TVeskMenuItem* FPressedItem = nullptr;
    TVeskMenuItem* FLevel2Parent = nullptr;
    TVeskMenuItem* FLevel3Parent = nullptr;
    bool FShown = false;
    // Counts the popups that created a level window (a close event may pop the menu up again).
    unsigned FPopupGeneration = 0;
    fw::TTimer* FRepeatTimer = nullptr;
    // Reset when the menu dies, so that code running after an item's OnClick can tell.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
