// The news window: a small skinned pop-up holding a web browser, which slides up above the
// bottom-right corner of the work area once its page has loaded, shows the news page for a
// minute and then fades out (unless the mouse rests on it).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "VeskNcPaintor.h"
#include "fw_forms.h"
#include "fw_timer.h"

// ---------------------------------------------------------------------------------------------
// The web browser the window shows its page in.

class INewsBrowser {
public:
    virtual ~INewsBrowser() = default;
    // Starts loading Url; false when the navigation could not start.
    virtual bool Navigate(const std::wstring& Url) = 0;
    // Styles the loaded document's body: no scroll bars, no border, no margin. False when the
    // document has no body; raises fw::Exception when the document refuses a change.
    virtual bool StyleBody() = 0;
    // Places the browser inside its host window (client coordinates of the host).
    virtual void SetBounds(const RECT& Bounds) = 0;
    // Raised on the GUI thread for each completed navigation.
    std::function<void()> OnNavigateComplete;
};

// Makes the browser inside the window Parent; null when no browser can be made.
using TNewsBrowserFactory = std::function<std::unique_ptr<INewsBrowser>(HWND Parent)>;
// Replaces the browser the news window makes (tests); an empty factory restores the real one.
void SetNewsBrowserFactory(TNewsBrowserFactory Factory);
// The system's web browser control ("Shell.Explorer.2"), hosted through atl.dll; null when the
// control cannot be made.
std::unique_ptr<INewsBrowser> CreateShellBrowser(HWND Parent);

// Where the mouse cursor is (screen coordinates); false when unknown. Replaceable for tests; a
// null source restores GetCursorPos.
using TCursorPosSource = std::function<bool(POINT& Pos)>;
void SetNewsCursorPosSource(TCursorPosSource Source);

// The window control that hosts the browser; the browser itself is made at the first navigation.
class TNewsWebBrowser : public fw::TWinControl {
public:
    FW_CLASSNAME(TNewsWebBrowser)
    explicit TNewsWebBrowser(fw::TComponent* AOwner);
    ~TNewsWebBrowser() override;

    // False when no browser could be made or the navigation did not start.
    bool Navigate(const std::wstring& Url);
    // The browser, once made (null before the first navigation or when it could not be made).
    INewsBrowser* Browser() const { return FBrowser.get(); }
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    fw::TNotifyEvent OnNavigateComplete2;

private:
    void PlaceBrowser();
    std::unique_ptr<INewsBrowser> FBrowser;
};

// ---------------------------------------------------------------------------------------------

class TFrmNews : public fw::TForm {
public:
    FW_CLASSNAME(TFrmNews)
    TFrmNews(const fw::TFormKey& Key, fw::TComponent* AOwner) : fw::TForm(Key, AOwner) {}
    ~TFrmNews() override;
#include "uNews_form.h"

    std::wstring Url;
    int FormWidth = 0;
    int FormHeight = 0;
    // The message loaded last (0 before the first one).
    int MsgID = 0;
    // The last message whose page was shown to the user (0 while none was): only that one counts
    // as seen, not one whose page never loaded or closed the window unseen.
    int ShownMsgID = 0;

    // Language font and caption, then loads Url into the browser; the window shows itself once
    // the page has loaded. When the browser cannot load it the window stays hidden.
    void ShowUrl();

    void wb1NavigateComplete2(fw::TObject* Sender);
    // Slide-in.
    void timer1Timer(fw::TObject* Sender);
    // Display time, then fading.
    void timer2Timer(fw::TObject* Sender);

    // The work area the window slides into (the screen's work area).
    static fw::TRect WorkArea();

private:
    // Set by the first completed navigation of the message loaded last: later ones (frames of
    // the page, links followed inside it) must not show the window again or restart its slide.
    bool FPageShown = false;
};

// The news window; null until the first news is shown, and again once the window is freed.
extern TFrmNews* frmNews;
