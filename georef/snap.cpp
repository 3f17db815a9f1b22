#include "georef/snap.h"

#include "georef/tr_rss.h"
#include "platform/ui_service.h"

namespace georef {

bool SnapFit(CTrRSS& tr, const CPt* plane, const CPt* ground, int count) {
    if (count < 3) {
        platform::AfxMessageBox(kMsgNoEnoughFootholds, platform::MB_OK);
        return false;
    }
    return tr.Fit(plane, ground, count);
}

}  // namespace georef
