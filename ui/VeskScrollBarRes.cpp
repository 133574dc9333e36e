#include "VeskScrollBarRes.h"

using namespace fw;

void AssignSkinPng(std::unique_ptr<TPngImage>& Target, TPngImage* Source) {
    if (!Source)
        Target = std::make_unique<TPngImage>();
    else
        Target->Assign(Source);
}
