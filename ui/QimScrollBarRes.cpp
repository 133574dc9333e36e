#include "QimScrollBarRes.h"

using namespace fw;

TQimScrollBarRes::TQimScrollBarRes(TComponent* AOwner)
    : TComponent(AOwner),
      FImgBack(std::make_unique<TPngImage>()),
      FImgSlider(std::make_unique<TPngImage>()),
      FImgBtnLT(std::make_unique<TPngImage>()),
      FImgBtnRB(std::make_unique<TPngImage>()),
      FImgCenter(std::make_unique<TPngImage>()),
      FSliderSplit(std::make_unique<TQimUIPadding>()),
      FBackSplit(std::make_unique<TQimUIPadding>()) {}

TQimScrollBarRes::~TQimScrollBarRes() = default;

void TQimScrollBarRes::Copy(std::unique_ptr<TPngImage>& Target, TPngImage* Source) {
    if (!Source)
        Target = std::make_unique<TPngImage>();
    else
        Target->Assign(Source);
}
