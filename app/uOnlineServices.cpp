#include "uOnlineServices.h"

namespace {

TOnlineServices* Installed = nullptr;

}  // namespace

void SetOnlineServices(TOnlineServices* Services) { Installed = Services; }

TOnlineServices& OnlineServices() {
    static TOnlineServices offline;
    return Installed ? *Installed : offline;
}
