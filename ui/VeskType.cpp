#include "VeskType.h"

void TVeskPadding::Assign(fw::TPersistent* Source) {
    if (auto* p = dynamic_cast<TVeskPadding*>(Source)) {
        for (int i = 0; i < 4; ++i) FValues[i] = p->FValues[i];
        return;
    }
    fw::TPersistent::Assign(Source);
}
