// The window holding one component of every class of the skinned library (fgLibrary.form): each
// of its handlers counts its calls in Fired, one handler per kind of event.
#pragma once

#include "QimImageStorage.h"
#include "QimListBox.h"
#include "QimScrollBar.h"
#include "VeskCheckBox.h"
#include "VeskCombobox.h"
#include "VeskDirectUIScrollBar.h"
#include "VeskImage.h"
#include "VeskLabel.h"
#include "VeskListView.h"
#include "VeskMsgBox.h"
#include "VeskNcPaintor.h"
#include "VeskPngButton.h"
#include "VeskPngScrollBar.h"
#include "VeskPopupMenu.h"
#include "VeskTrayIcon.h"
#include "fw_formload.h"
#include "fw_forms.h"

class TFgLibraryForm : public fw::TForm {
public:
    FW_CLASSNAME(TFgLibraryForm)
    TFgLibraryForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
#include "fgLibrary_form.h"
    int Fired = 0;

    using TObj = fw::TObject*;
    using TCanvasP = fw::TCanvas*;
    void CountNotify(TObj) { ++Fired; }
    void CountBeforePopup(TObj, bool&) { ++Fired; }
    void CountMouse(TObj, fw::TMouseButton, fw::TShiftState, int, int) { ++Fired; }
    void CountMouseMove(TObj, fw::TShiftState, int, int) { ++Fired; }
    void CountMouseWheel(TObj, fw::TShiftState, int, fw::TPoint, bool&) { ++Fired; }
    void CountMouseActivate(TObj, fw::TMouseButton, fw::TShiftState, int, int, int, fw::TMouseActivate&) { ++Fired; }
    void CountContextPopup(TObj, fw::TPoint, bool&) { ++Fired; }
    void CountStartDrag(TObj, fw::TDragObject*&) { ++Fired; }
    void CountStartDock(TObj, fw::TDragDockObject*&) { ++Fired; }
    void CountDragOver(TObj, TObj, int, int, fw::TDragState, bool&) { ++Fired; }
    void CountDragDrop(TObj, TObj, int, int) { ++Fired; }
    void CountEndDrag(TObj, TObj, int, int) { ++Fired; }
    void CountKeyPress(TObj, wchar_t&) { ++Fired; }
    void CountScroll(TObj, int&) { ++Fired; }
    void CountCanvasDraw(TObj, TCanvasP) { ++Fired; }
    void CountProgress(TObj, fw::TProgressStage, uint8_t, bool, const fw::TRect&, const std::wstring&) { ++Fired; }
    void CountOffSet(TObj, int&, int&) { ++Fired; }
    void CountCbItem(TObj, TVeskCboxItem*) { ++Fired; }
    void CountNcButton(TVeskCoustomPaintor*, TVeskNcBtnEnum) { ++Fired; }
    void CountNcDrawButton(TVeskCoustomPaintor*, TVeskNcBtnEnum, TCanvasP, fw::TRect) { ++Fired; }
    void CountLvItem(TObj, TVeskLvItem*) { ++Fired; }
    void CountLvShowCheckBox(TObj, TVeskLvItem*, bool&) { ++Fired; }
    void CountLvMeasure(TVeskLvItem*, int, int&) { ++Fired; }
    void CountLvDraw(TCanvasP, int, TVeskLvItem*) { ++Fired; }
    void CountLvOwnerDraw(TCanvasP, int, TVeskLvItem*, bool&) { ++Fired; }
    void CountLvDrawSubItem(TCanvasP, TVeskLvItem*, int) { ++Fired; }
    void CountLvDrawBack(fw::TBitmap*, const fw::TRect&) { ++Fired; }
    void CountLvItemMouse(TObj, TCanvasP, TVeskLvItem*, fw::TShiftState, int, int) { ++Fired; }
    void CountLvHeader(TObj, TVeskLvHeadItem*, int) { ++Fired; }
    void CountLvDrawHeader(TCanvasP, TVeskLvHeadItem*, int) { ++Fired; }
    void CountLvMeasureGroup(TVeskGroupItem*, int, int&) { ++Fired; }
    void CountLvDrawGroup(TCanvasP, int, TVeskGroupItem*) { ++Fired; }
    void CountLvOwnerDrawGroup(TCanvasP, int, TVeskGroupItem*, bool&) { ++Fired; }
    void CountLvGroup(TObj, TVeskGroupItem*) { ++Fired; }
    void CountLvGroupShowCheckBox(TObj, TVeskGroupItem*, bool&) { ++Fired; }
    void CountLvGroupMouse(TObj, TVeskGroupItem*, fw::TShiftState, int, int) { ++Fired; }
    void CountLbItem(TObj, TQimLBoxItem*) { ++Fired; }
    void CountLbDraw(TCanvasP, int, TQimLBoxItem*) { ++Fired; }
    void CountLbOwnerDraw(TCanvasP, int, TQimLBoxItem*, bool&) { ++Fired; }
    void CountLbMeasure(TQimLBoxItem*, int, int&) { ++Fired; }
    void CountLbDrawBack(TCanvasP, const fw::TRect&) { ++Fired; }
};
