#include "uNews.h"

#include <exdisp.h>
#include <mshtml.h>
#include <ole2.h>

#include <cwchar>

#include "PublicFuns.h"
#include "fw_formload.h"
#include "fw_handles.h"

using namespace fw;

TFrmNews* frmNews = nullptr;

namespace {

TNewsBrowserFactory& BrowserFactory() {
    static TNewsBrowserFactory f;
    return f;
}

TCursorPosSource& CursorPosSource() {
    static TCursorPosSource s;
    return s;
}

bool CursorPos(POINT& Pos) {
    if (CursorPosSource()) return CursorPosSource()(Pos);
    return GetCursorPos(&Pos) != FALSE;
}

// ---------------------------------------------------------------------------------------------
// The system's web browser control, hosted in an "AtlAxWin" window of atl.dll. The headers of
// the ATL host are not available, so the two entry points are loaded at run time.

using TAtlAxWinInit = BOOL(WINAPI*)();
using TAtlAxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

// {D30C1661-CDAF-11D0-8A3E-00C04FC9E26E}
constexpr GUID kIID_IWebBrowser2 = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
// {34A715A0-6587-11D0-924A-0020AFC7AC4D}
constexpr GUID kDIID_DWebBrowserEvents2 = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
// {B196B284-BAB4-101A-B69C-00AA00341D07}
constexpr GUID kIID_IConnectionPointContainer = {0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
constexpr DISPID kDispidNavigateComplete2 = 252;

void Check(HRESULT Hr, const wchar_t* What) {
    if (FAILED(Hr)) {
        wchar_t code[16];
        swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(Hr));
        throw Exception(std::wstring(What) + L" failed (" + code + L")");
    }
}

// The value of a late-bound property; an empty variant when the object does not have it.
VARIANT GetProperty(IDispatch* Obj, const wchar_t* Name) {
    VARIANT result;
    VariantInit(&result);
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(Name);
    Check(Obj->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), Name);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    Check(Obj->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), Name);
    return result;
}

void PutProperty(IDispatch* Obj, const wchar_t* Name, const wchar_t* Value) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(Name);
    Check(Obj->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), Name);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(Value);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&v, &put, 1, 1};
    HRESULT hr = Obj->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    VariantClear(&v);
    Check(hr, Name);
}

// The object a property holds; null when it holds none.
IDispatch* GetObjectProperty(IDispatch* Obj, const wchar_t* Name) {
    VARIANT v = GetProperty(Obj, Name);
    IDispatch* d = nullptr;
    if (v.vt == VT_DISPATCH && v.pdispVal) {
        d = v.pdispVal;
        d->AddRef();
    }
    VariantClear(&v);
    return d;
}

// The browser's event sink: only the completion of a navigation is of interest.
class TBrowserEvents : public IDispatch {
public:
    explicit TBrowserEvents(std::function<void()> OnComplete) : FOnComplete(std::move(OnComplete)) {}
    void Detach() { FOnComplete = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Obj) override {
        if (!Obj) return E_POINTER;
        if (IsEqualGUID(Riid, IID_IUnknown) || IsEqualGUID(Riid, IID_IDispatch) ||
            IsEqualGUID(Riid, kDIID_DWebBrowserEvents2)) {
            *Obj = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *Obj = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&FRefs);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override {
        if (Count) *Count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID Id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        // Nothing may unwind into the control.
        if (Id == kDispidNavigateComplete2 && FOnComplete) {
            try {
                std::function<void()> call = FOnComplete;
                call();
            } catch (...) {
            }
        }
        return S_OK;
    }

private:
    virtual ~TBrowserEvents() = default;
    LONG FRefs = 1;
    std::function<void()> FOnComplete;
};

class TShellBrowser : public INewsBrowser {
public:
    ~TShellBrowser() override {
        if (FEvents) {
            FEvents->Detach();
            if (FPoint) FPoint->Unadvise(FCookie);
            FEvents->Release();
        }
        FPoint.Reset();
        FBrowser.Reset();
        if (FWnd) DestroyWindow(FWnd);
    }

    bool Create(HWND Parent) {
        HMODULE atl = LoadLibraryW(L"atl.dll");
        if (!atl) return false;
        auto init = reinterpret_cast<TAtlAxWinInit>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
        auto getControl =
            reinterpret_cast<TAtlAxGetControl>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
        if (!init || !getControl || !init()) return false;
        FWnd = CreateWindowExW(0, L"AtlAxWin", L"Shell.Explorer.2", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 1, 1,
                               Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!FWnd) return false;
        TComPtr<IUnknown> unknown;
        if (FAILED(getControl(FWnd, unknown.Put())) || !unknown) return false;
        if (FAILED(unknown->QueryInterface(kIID_IWebBrowser2, reinterpret_cast<void**>(FBrowser.Put()))) || !FBrowser)
            return false;
        FBrowser->put_Silent(VARIANT_TRUE);
        TComPtr<IConnectionPointContainer> container;
        if (SUCCEEDED(FBrowser->QueryInterface(kIID_IConnectionPointContainer, reinterpret_cast<void**>(container.Put()))) &&
            container && SUCCEEDED(container->FindConnectionPoint(kDIID_DWebBrowserEvents2, FPoint.Put())) && FPoint) {
            FEvents = new TBrowserEvents([this] {
                if (OnNavigateComplete) OnNavigateComplete();
            });
            if (FAILED(FPoint->Advise(FEvents, &FCookie))) return false;
        } else {
            return false;
        }
        return true;
    }

    bool Navigate(const std::wstring& Url) override {
        BSTR url = SysAllocString(Url.c_str());
        VARIANT empty;
        VariantInit(&empty);
        HRESULT hr = FBrowser->Navigate(url, &empty, &empty, &empty, &empty);
        SysFreeString(url);
        return SUCCEEDED(hr);
    }

    bool StyleBody() override {
        TComPtr<IDispatch> document;
        Check(FBrowser->get_Document(document.Put()), L"Document");
        if (!document) return false;
        TComPtr<IDispatch> body;
        body.Reset(GetObjectProperty(document.Get(), L"Body"));
        if (!body) return false;
        PutProperty(body.Get(), L"Scroll", L"no");
        TComPtr<IDispatch> style;
        style.Reset(GetObjectProperty(body.Get(), L"style"));
        if (!style) throw Exception(L"The document's body has no style");
        PutProperty(style.Get(), L"border", L"none");
        PutProperty(style.Get(), L"margin", L"0px");
        return true;
    }

    void SetBounds(const RECT& Bounds) override {
        if (FWnd)
            MoveWindow(FWnd, Bounds.left, Bounds.top, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, TRUE);
    }

private:
    HWND FWnd = nullptr;
    TComPtr<IWebBrowser2> FBrowser;
    TComPtr<IConnectionPoint> FPoint;
    TBrowserEvents* FEvents = nullptr;
    DWORD FCookie = 0;
};

}  // namespace

void SetNewsBrowserFactory(TNewsBrowserFactory Factory) { BrowserFactory() = std::move(Factory); }

void SetNewsCursorPosSource(TCursorPosSource Source) { CursorPosSource() = std::move(Source); }

std::unique_ptr<INewsBrowser> CreateShellBrowser(HWND Parent) {
    try {
        auto b = std::make_unique<TShellBrowser>();
        if (!b->Create(Parent)) return nullptr;
        return b;
    } catch (...) {
        return nullptr;
    }
}

// ---------------------------------------------------------------------------------------------

TNewsWebBrowser::TNewsWebBrowser(TComponent* AOwner) : TWinControl(AOwner) {}

TNewsWebBrowser::~TNewsWebBrowser() {
    // The control's window must still exist while it is taken down.
    FBrowser.reset();
}

bool TNewsWebBrowser::Navigate(const std::wstring& Url) {
    if (!FBrowser) {
        HWND host = GetHandle();
        FBrowser = BrowserFactory() ? BrowserFactory()(host) : CreateShellBrowser(host);
        if (!FBrowser) return false;
        FBrowser->OnNavigateComplete = [this] {
            if (OnNavigateComplete2) {
                TNotifyEvent call = OnNavigateComplete2;
                call(this);
            }
        };
        PlaceBrowser();
    }
    return FBrowser->Navigate(Url);
}

void TNewsWebBrowser::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    PlaceBrowser();
}

void TNewsWebBrowser::PlaceBrowser() {
    if (FBrowser) FBrowser->SetBounds(RECT{0, 0, GetWidth(), GetHeight()});
}

// ---------------------------------------------------------------------------------------------

TFrmNews::~TFrmNews() {
    if (frmNews == this) frmNews = nullptr;
}

TRect TFrmNews::WorkArea() { return Screen->GetWorkAreaRect(); }

void TFrmNews::ShowUrl() {
    TFont* f = GetFont();
    f->SetSize(GetLangFontSize());
    f->SetCharset(GetLangCharset());
    f->SetName(GetLangFontName());
    SetCaption(GetLangString(L"Message", L"Newsletter", L"Newsletter"));
    timer2->SetInterval(60000);
    // A window reused for a later message starts opaque and still again.
    timer1->SetEnabled(false);
    timer2->SetEnabled(false);
    SetAlphaBlendValue(255);
    SetAlphaBlend(false);
    FPageShown = false;
    // Without a browser there is nothing to show: the window stays hidden.
    wb1->Navigate(Url);
}

void TFrmNews::wb1NavigateComplete2(TObject* Sender) {
    (void)Sender;
    if (FPageShown) return;
    FPageShown = true;
    try {
        INewsBrowser* b = wb1->Browser();
        if (!b || !b->StyleBody()) {
            Close();
            return;
        }
        // The browser's final place, inside the one-pixel border and below the caption bar;
        // alignment would move it back at the next size change.
        wb1->SetAlign(alNone);
        wb1->SetBounds(1, 26, GetWidth() - 2, GetHeight() - 27);
        Show();
        BringToFront();
        ShownMsgID = MsgID;
        timer1->SetEnabled(true);
    } catch (...) {
        Close();
    }
}

void TFrmNews::timer1Timer(TObject* Sender) {
    (void)Sender;
    int bottom = WorkArea().Bottom;
    int top = GetTop() - 20;
    if (top <= bottom - GetHeight()) {
        SetTop(bottom - GetHeight());
        timer1->SetEnabled(false);
        timer2->SetEnabled(true);
    } else {
        SetTop(top);
    }
}

void TFrmNews::timer2Timer(TObject* Sender) {
    (void)Sender;
    if (timer2->GetInterval() > 33) {
        timer2->SetInterval(33);
        SetAlphaBlend(true);
    }
    // Never below zero: a value that wrapped round would make the window opaque again and
    // the fading would never reach its end.
    BYTE value = GetAlphaBlendValue();
    SetAlphaBlendValue(static_cast<BYTE>(value > 10 ? value - 10 : 0));
    POINT p{};
    if (CursorPos(p) && GetBoundsRect().Contains(TPoint(p))) timer2->SetEnabled(false);
    if (GetAlphaBlendValue() <= 5) {
        timer2->SetEnabled(false);
        Close();
    }
}
