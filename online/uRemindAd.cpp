#include "uRemindAd.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "PublicFuns.h"

TAdInfo AdInfo;
bool AdHover = false;

void TAdInfo::Clear() {
    Link.clear();
    Title.clear();
    Top = Left = Width = Height = 0;
    Align = AdAlignNone;
    Frame = 0;
    Tips.clear();
    Interval = 0;
    FontName.clear();
    FontSize = 0;
    FontColor = FontColorOver = 0;
    Picture.reset();
}

TVeskADReader* StartAd(TVeskAdEvent OnAd, fw::TControl* Receiver) {
    AdInfo.Clear();
    // Never freed: its threads report back to it for as long as the program runs.
    auto* reader = new TVeskADReader();
    reader->Version = AppVersionText();
    reader->CacheDir = AppDataDir + L"UpdateInfo\\";
    reader->Lang = LangFile;
    if (Receiver && OnAd) {
        // The answer may come after the window that asked is gone.
        std::shared_ptr<bool> alive = Receiver->AliveToken();
        reader->OnAd = [alive, OnAd](fw::TObject* Sender, TagVeskAdInfo* Item) {
            if (alive && *alive) OnAd(Sender, Item);
        };
    } else {
        reader->OnAd = std::move(OnAd);
    }
    if (!fw::DirectoryExists(reader->CacheDir)) fw::ForceDirectories(reader->CacheDir);
    reader->Start();
    return reader;
}

namespace {

// The item's rectangle comes from the network: its extent is taken without overflowing.
int Extent(int From, int To) {
    const int64_t e = int64_t(To) - int64_t(From);
    return int(std::clamp<int64_t>(e, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The title cut to AdTitleMaxChars, never between the two halves of a surrogate pair.
std::wstring CutTitle(const std::wstring& Title) {
    if (Title.size() <= AdTitleMaxChars) return Title;
    size_t n = AdTitleMaxChars;
    if (Title[n - 1] >= 0xD800 && Title[n - 1] <= 0xDBFF) --n;
    return Title.substr(0, n);
}

}  // namespace

void AdItemArrived(fw::TControl* Panel, const TagVeskAdInfo* Item) {
    if (!Item) return;
    if (Item->Align >= AdAlignPictureLeft && Item->Align <= AdAlignPictureOnly) {
        AdInfo.Picture.reset();
        if (Item->Png && !Item->Png->GetEmpty()) {
            AdInfo.Picture = std::make_unique<fw::TPngImage>();
            AdInfo.Picture->Assign(Item->Png.get());
        }
    } else if (Item->Align == AdAlignTitleOnly) {
        AdInfo.Picture.reset();
    }
    AdInfo.Link = Item->Link;
    AdInfo.Top = Item->Rect.Top;
    AdInfo.Left = Item->Rect.Left;
    AdInfo.Width = Extent(Item->Rect.Left, Item->Rect.Right);
    AdInfo.Height = Extent(Item->Rect.Top, Item->Rect.Bottom);
    AdInfo.Align = Item->Align;
    if (Item->Align != AdAlignTitleOnly) AdInfo.Frame = Item->Frame;
    AdInfo.Title = CutTitle(Item->Title);
    AdInfo.Tips = Item->Tips;
    AdInfo.Interval = Item->Interval;
    AdInfo.FontName = Item->FontName;
    AdInfo.FontSize = Item->FontSize;
    AdInfo.FontColor = Item->FontColor;
    AdInfo.FontColorOver = Item->FontColorOver;
    if (Panel) Panel->Invalidate();
}

namespace {

void SetTitleFont(fw::TCanvas* Canvas) {
    Canvas->GetBrush()->SetStyle(fw::bsClear);
    fw::TFont* font = Canvas->GetFont();
    font->SetColor(AdHover ? AdInfo.FontColorOver : AdInfo.FontColor);
    font->SetName(AdInfo.FontName);  // an empty name keeps the face
    // 0 is the system's default height, a negative size a cell height in pixels (as for any font);
    // only the magnitude is bounded.
    font->SetSize(std::clamp(AdInfo.FontSize, -AdFontMaxSize, AdFontMaxSize));
}

// Panel coordinates are sums of numbers from the network: they are added in 64 bits and kept
// within the range the graphics system handles, so a far-off rectangle stays far off instead of
// wrapping around onto the panel or turning inside out.
constexpr int64_t CoordLimit = (int64_t(1) << 27) - 1;
int Coord(int64_t V) { return int(std::clamp(V, -CoordLimit, CoordLimit)); }
fw::TRect Area(int64_t L, int64_t T, int64_t R, int64_t B) { return fw::TRect(Coord(L), Coord(T), Coord(R), Coord(B)); }

void DrawTitle(fw::TCanvas* Canvas, fw::TRect T) {
    Canvas->DrawText(AdInfo.Title, T, DT_LEFT | DT_END_ELLIPSIS);
}

}  // namespace

void PaintAd(fw::TObject* /*Sender*/, fw::TCanvas* Canvas) {
    if (!Canvas) return;
    const int align = AdInfo.Align;
    if (align < AdAlignPictureLeft || align > AdAlignTitleOnly) return;
    fw::TPngImage* pic = AdInfo.Picture.get();
    if (align == AdAlignPictureOnly && !pic) return;
    if (align <= AdAlignTitleAbove && !pic) {
        // The picture never came: the item is shown as its title alone, from the next paint on.
        AdInfo.Align = AdAlignTitleOnly;
        return;
    }

    const fw::TRect clip = Canvas->ClipRect();
    const int64_t x = int64_t(clip.Left) + AdInfo.Left;
    const int64_t y = int64_t(clip.Top) + AdInfo.Top;
    const int64_t w = AdInfo.Width;
    const int64_t h = AdInfo.Height;
    const int64_t pw = pic ? pic->GetWidth() : 0;
    const int64_t ph = pic ? pic->GetHeight() : 0;

    switch (align) {
        case AdAlignPictureLeft:
        case AdAlignPictureAbove: {
            pic->Draw(Canvas, Area(x, y, x + pw, y + ph));
            SetTitleFont(Canvas);
            if (align == AdAlignPictureLeft) {
                const int64_t d = std::abs(ph - Canvas->TextHeight(L"a")) / 2;
                DrawTitle(Canvas, Area(x + pw, y + d, x + pw + w, y + h));
            } else {
                DrawTitle(Canvas, Area(x, y + ph, x + w, y + h));
            }
            break;
        }
        case AdAlignTitleLeft: {
            SetTitleFont(Canvas);
            const int64_t d = std::abs(ph - Canvas->TextHeight(L"a")) / 2;
            // The picture follows the whole title, even where the title is cut.
            const int64_t tw = Canvas->TextWidth(AdInfo.Title);
            DrawTitle(Canvas, Area(x, y + d, x + w, y + h));
            pic->Draw(Canvas, Area(x + tw, y, x + tw + pw, y + ph));
            break;
        }
        case AdAlignTitleAbove: {
            SetTitleFont(Canvas);
            const int64_t th = Canvas->TextHeight(AdInfo.Title);
            DrawTitle(Canvas, Area(x, y, x + w, y + h));
            pic->Draw(Canvas, Area(x, y + th, x + pw, y + th + ph));
            break;
        }
        case AdAlignPictureOnly:
            pic->Draw(Canvas, clip);
            break;
        case AdAlignTitleOnly:
            SetTitleFont(Canvas);
            DrawTitle(Canvas, Area(x, y, x + w, y + h));
            break;
        default:
            break;
    }
}

void AdClick() {
    // The link comes from a server: only a web page may be opened, never a program or a file.
    const std::wstring& link = AdInfo.Link;
    if (fw::StartsText(L"http://", link) || fw::StartsText(L"https://", link)) OpenUrl(nullptr, link);
}

void AdMouseEnter(fw::TObject* Sender) {
    AdHover = true;
    if (auto* c = dynamic_cast<fw::TControl*>(Sender)) c->Invalidate();
}

void AdMouseLeave(fw::TObject* Sender) {
    AdHover = false;
    if (auto* c = dynamic_cast<fw::TControl*>(Sender)) c->Invalidate();
}
