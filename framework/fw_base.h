// Base types of the framework: geometry, shift states, event signatures, messages, colours,
// exceptions and the small string, number and path routines everything else uses.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace fw {

class TObject;  // defined in fw_classes.h; events only pass pointers to it

// ---------------------------------------------------------------------------------------------
// Geometry. Same layout as POINT/RECT so that Win32 calls can take them through Ptr().

struct TPoint {
    LONG X = 0;
    LONG Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(LONG x, LONG y) : X(x), Y(y) {}
    constexpr TPoint(const POINT& p) : X(p.x), Y(p.y) {}
    constexpr operator POINT() const { return POINT{X, Y}; }
    POINT* Ptr() { return reinterpret_cast<POINT*>(this); }
    const POINT* Ptr() const { return reinterpret_cast<const POINT*>(this); }
    constexpr bool operator==(const TPoint&) const = default;
};

struct TRect {
    LONG Left = 0;
    LONG Top = 0;
    LONG Right = 0;
    LONG Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(LONG l, LONG t, LONG r, LONG b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr TRect(const RECT& r) : Left(r.left), Top(r.top), Right(r.right), Bottom(r.bottom) {}
    constexpr TRect(const TPoint& topLeft, const TPoint& bottomRight)
        : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
    constexpr operator RECT() const { return RECT{Left, Top, Right, Bottom}; }
    RECT* Ptr() { return reinterpret_cast<RECT*>(this); }
    const RECT* Ptr() const { return reinterpret_cast<const RECT*>(this); }

    constexpr LONG Width() const { return Right - Left; }
    constexpr LONG Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return TPoint(Left, Top); }
    constexpr TPoint BottomRight() const { return TPoint(Right, Bottom); }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    // Half-open like PtInRect: the right and bottom edges are outside.
    constexpr bool Contains(const TPoint& p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    constexpr void Offset(LONG dx, LONG dy) { Left += dx; Right += dx; Top += dy; Bottom += dy; }
    constexpr void Inflate(LONG dx, LONG dy) { Left -= dx; Right += dx; Top -= dy; Bottom += dy; }
    constexpr bool operator==(const TRect&) const = default;
};

static_assert(sizeof(TPoint) == sizeof(POINT) && offsetof(TPoint, Y) == offsetof(POINT, y));
static_assert(sizeof(TRect) == sizeof(RECT) && offsetof(TRect, Bottom) == offsetof(RECT, bottom));

constexpr TPoint Point(LONG x, LONG y) { return TPoint(x, y); }
constexpr TRect Rect(LONG l, LONG t, LONG r, LONG b) { return TRect(l, t, r, b); }
constexpr TRect Bounds(LONG l, LONG t, LONG w, LONG h) { return TRect(l, t, l + w, t + h); }
// Intersection; empty (all zero) when the rectangles do not overlap.
TRect IntersectRects(const TRect& a, const TRect& b);

// ---------------------------------------------------------------------------------------------
// Input state.

enum TShiftFlag : uint16_t {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};

// A small set of TShiftFlag values.
class TShiftState {
public:
    constexpr TShiftState() = default;
    constexpr TShiftState(TShiftFlag f) : bits_(f) {}
    static constexpr TShiftState FromBits(uint16_t b) { TShiftState s; s.bits_ = b; return s; }
    constexpr uint16_t Bits() const { return bits_; }
    constexpr bool Contains(TShiftFlag f) const { return (bits_ & f) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TShiftState& Include(TShiftFlag f) { bits_ |= f; return *this; }
    constexpr TShiftState& Exclude(TShiftFlag f) { bits_ &= static_cast<uint16_t>(~f); return *this; }
    constexpr TShiftState operator|(TShiftState o) const { return FromBits(bits_ | o.bits_); }
    constexpr TShiftState operator&(TShiftState o) const { return FromBits(bits_ & o.bits_); }
    constexpr TShiftState& operator|=(TShiftState o) { bits_ |= o.bits_; return *this; }
    constexpr bool operator==(const TShiftState&) const = default;

private:
    uint16_t bits_ = 0;
};
constexpr TShiftState operator|(TShiftFlag a, TShiftFlag b) { return TShiftState(a) | TShiftState(b); }

// Shift state from the MK_* flags of a mouse message's WPARAM (Alt read from the keyboard).
TShiftState KeysToShiftState(WPARAM keys);
// Shift state from the current keyboard state (Shift, Ctrl, Alt and the mouse buttons).
TShiftState GetShiftState();

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

// ---------------------------------------------------------------------------------------------
// Event signatures. An empty function means "unassigned".

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// ---------------------------------------------------------------------------------------------
// Messages.

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
    // Signed client or screen coordinates packed in LParam (negative on multi-monitor setups).
    short XPos() const { return static_cast<short>(LOWORD(static_cast<DWORD_PTR>(LParam))); }
    short YPos() const { return static_cast<short>(HIWORD(static_cast<DWORD_PTR>(LParam))); }
};

// Framework messages (CM_RECREATEWND is fixed at 0xB033; the others keep the same numbering).
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_MENUCHANGED = CM_BASE + 21;
constexpr UINT CM_APPKEYDOWN = CM_BASE + 22;
constexpr UINT CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_ICONCHANGED = CM_BASE + 29;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr UINT CM_INVOKEHELP = CM_BASE + 31;
constexpr UINT CM_WINDOWHOOK = CM_BASE + 32;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr UINT CM_WININICHANGE = CM_BASE + 37;
constexpr UINT CM_FONTCHANGE = CM_BASE + 38;
constexpr UINT CM_TIMECHANGE = CM_BASE + 39;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr UINT CM_CHILDKEY = CM_BASE + 46;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;
constexpr UINT CM_SYSFONTCHANGED = CM_BASE + 53;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;
constexpr UINT CM_CHANGED = CM_BASE + 55;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 59;
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;
static_assert(CM_RECREATEWND == 0xB033);

// Child notifications reflected back to the control that caused them: CN_BASE + the WM_ number.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

// ---------------------------------------------------------------------------------------------
// Colours: 0x00BBGGRR; system colours are 0x80000000 | COLOR_* index.

using TColor = int32_t;

constexpr TColor SysColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index)); }
constexpr bool IsSysColor(TColor c) { return (static_cast<uint32_t>(c) & 0x80000000u) != 0; }

constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SysColor(COLOR_MENU);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);
constexpr TColor clHotLight = SysColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SysColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SysColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SysColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SysColor(COLOR_MENUBAR);

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

// The COLORREF to give GDI: system colours resolved with GetSysColor, everything else reduced to
// its 0x00BBGGRR bits. clNone and clDefault are not colours; callers test for them before painting
// (they come out as 0xFFFFFF and 0x000000 here so that GDI never sees an invalid value).
COLORREF ColorToRGB(TColor c);

// ---------------------------------------------------------------------------------------------
// Exceptions. Message is the text shown to the user.

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message) : Message(std::move(message)) {}
    // The message in UTF-8 (for logs and test output).
    const char* what() const noexcept override;
    std::wstring Message;

private:
    mutable std::string what_;
};

// Raised to unwind quietly: the default error display ignores it.
class EAbort : public Exception { public: using Exception::Exception; };
// Conversions and assignments that cannot be made ("Cannot assign a X to a Y", "'abc' is not a valid integer value").
class EConvertError : public Exception { public: using Exception::Exception; };
// An index outside a list.
class EListError : public Exception { public: using Exception::Exception; };
// A profile write the system refused ("Unable to write to <path>").
class EIniFileException : public Exception { public: using Exception::Exception; };
// Picture data that cannot be decoded.
class EInvalidGraphic : public Exception { public: using Exception::Exception; };
// Files that cannot be opened, created, read or written.
class EStreamError : public Exception { public: using Exception::Exception; };
class EFOpenError : public EStreamError { public: using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { public: using EStreamError::EStreamError; };
// Registry calls whose failure the caller cannot handle by a return value.
class ERegistryException : public Exception { public: using Exception::Exception; };
// A failed Win32 call the framework cannot absorb.
class EOSError : public Exception {
public:
    EOSError(std::wstring message, DWORD code) : Exception(std::move(message)), ErrorCode(code) {}
    DWORD ErrorCode;
};

// Raises EOSError for the given (default: last) Win32 error, with the system's text for it.
[[noreturn]] void RaiseLastOSError(DWORD code = GetLastError());
// The system's text for a Win32 error code (no trailing line break).
std::wstring SysErrorMessage(DWORD code);

// ---------------------------------------------------------------------------------------------
// Numbers.

// Nearest integer with halves to even (never std::round, which takes halves away from zero).
int64_t RoundHalfEven(long double x);
// Integer division truncating towards zero (b must not be 0).
constexpr int DivTrunc(int a, int b) { return a / b; }
constexpr int64_t DivTrunc(int64_t a, int64_t b) { return a / b; }

std::wstring IntToStr(int64_t value);
// Upper-case hexadecimal with at least `digits` digits.
std::wstring IntToHex(uint64_t value, int digits);

// Optional blanks, optional sign, then decimal digits or "$" and hexadecimal digits; nothing else.
// Values outside the 32-bit range (hexadecimal: up to $FFFFFFFF, taken as its bit pattern) fail.
bool TryStrToInt(const std::wstring& s, int& value);
bool TryStrToInt64(const std::wstring& s, int64_t& value);
int StrToIntDef(const std::wstring& s, int def);
int64_t StrToInt64Def(const std::wstring& s, int64_t def);
// As TryStrToInt; throws EConvertError "'<s>' is not a valid integer value".
int StrToInt(const std::wstring& s);

// The integer rule of profile values: a text of more than two characters starting with "0x" or
// "0X" is hexadecimal (the rest must be hexadecimal digits); anything else goes through
// StrToIntDef. A text that is no number gives the default.
int IniStrToIntDef(const std::wstring& s, int def);

// ---------------------------------------------------------------------------------------------
// Strings (UTF-16).

// Removes characters up to and including the blank (controls and spaces) at the ends.
std::wstring Trim(const std::wstring& s);
std::wstring TrimLeft(const std::wstring& s);
std::wstring TrimRight(const std::wstring& s);

// Invariant case mapping of the ASCII letters only (language codes, identifiers).
std::wstring UpperCase(const std::wstring& s);
std::wstring LowerCase(const std::wstring& s);
// Case-insensitive ASCII comparison (<0, 0, >0) and equality.
int CompareText(const std::wstring& a, const std::wstring& b);
bool SameText(const std::wstring& a, const std::wstring& b);
// Case-insensitive comparison over all of Unicode, independent of the locale (the rule for section
// and key names of INI files: "Ä" equals "ä").
int AnsiCompareText(const std::wstring& a, const std::wstring& b);
bool AnsiSameText(const std::wstring& a, const std::wstring& b);
// The text with every code unit mapped to upper case, independent of the locale: two names are
// AnsiSameText exactly when their folded forms are equal (for lookups by name).
std::wstring FoldCase(const std::wstring& s);
// Position of `sub` in `s` ignoring case as AnsiSameText does, or std::wstring::npos.
size_t PosText(const std::wstring& sub, const std::wstring& s, size_t from = 0);
bool StartsText(const std::wstring& prefix, const std::wstring& s);
bool EndsText(const std::wstring& suffix, const std::wstring& s);

// Replaces `from` by `to` (every occurrence when `all`), optionally ignoring case. Replacement text
// is never scanned again.
std::wstring StringReplace(const std::wstring& s, const std::wstring& from, const std::wstring& to, bool all = true,
                           bool ignoreCase = false);

// A formatter that cannot crash: "%s", "%d", "%u" and "%x" (any of them, with optional flags and
// width that are ignored) take the next argument text as it is; "%%" is one "%"; any other "%" is
// kept literally; missing arguments are empty.
std::wstring Format(const std::wstring& fmt, std::initializer_list<std::wstring> args);

// Conversions at the edges. Invalid input never throws: bad sequences become U+FFFD.
std::wstring Utf8ToWide(const std::string& s);
std::wstring Utf8ToWide(const char* data, size_t size);
std::string WideToUtf8(const std::wstring& s);
// The ANSI code page (CP_ACP) or another one.
std::wstring AnsiToWide(const std::string& s, UINT codePage = CP_ACP);
std::wstring AnsiToWide(const char* data, size_t size, UINT codePage = CP_ACP);
std::string WideToAnsi(const std::wstring& s, UINT codePage = CP_ACP);

// Upper-case hexadecimal, two digits a byte.
std::wstring BinToHex(const void* data, size_t size);
std::wstring BinToHex(const std::vector<uint8_t>& data);
// Pairs of hexadecimal digits (either case) to bytes, stopping at the first pair that is not one
// (an odd last digit is ignored). Returns the bytes converted.
std::vector<uint8_t> HexToBin(const std::wstring& hex);

// ---------------------------------------------------------------------------------------------
// Paths (backslash or slash as separators).

// The folder with its trailing separator ("C:\a\b.ini" -> "C:\a\"), or "".
std::wstring ExtractFilePath(const std::wstring& path);
// The folder without the trailing separator ("C:\a\b.ini" -> "C:\a").
std::wstring ExtractFileDir(const std::wstring& path);
std::wstring ExtractFileName(const std::wstring& path);
// The extension with its dot (".ini"), or "".
std::wstring ExtractFileExt(const std::wstring& path);
std::wstring ChangeFileExt(const std::wstring& path, const std::wstring& ext);
std::wstring IncludeTrailingPathDelimiter(const std::wstring& path);
std::wstring ExcludeTrailingPathDelimiter(const std::wstring& path);
// Absolute path (relative to the current folder), "." and ".." resolved.
std::wstring ExpandFileName(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
// Creates the folder and its missing parents. True when it exists afterwards.
bool ForceDirectories(const std::wstring& path);
// The full path of this executable.
std::wstring GetModuleName();

}  // namespace fw
