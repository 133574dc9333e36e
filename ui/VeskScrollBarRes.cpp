#include "VeskScrollBarRes.h"

using namespace fw;

void AssignSkinPng(std::unique_ptr<TPngImage>& Target, TPngImage* Source) {
    if (!Source)
        Target = std::make_unique<TPngImage>();
    else
        Target->Assign(Source);
}

TVeskScrollBarRes::TVeskScrollBarRes(TComponent* AOwner)
    : TComponent(AOwner),
      FImgBack(std::make_unique<TPngImage>()),
      FImgSlider(std::make_unique<TPngImage>()),
      FImgBtnLT(std::make_unique<TPngImage>()),
      FImgBtnRB(std::make_unique<TPngImage>()),
      FImgCenter(std::make_unique<TPngImage>()),
      FSliderSplit(std::make_unique<TVeskPadding>()) {}

TVeskScrollBarRes::~TVeskScrollBarRes() = default;
