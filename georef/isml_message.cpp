#include <cstdio>
#include <cstring>

#include "georef/isml.h"
#include "platform/ui_service.h"

namespace georef::isml {
namespace {

// The level survives between calls for the whole process, as the library it comes from
// keeps it: 4 shows everything, 1 only terminal errors, 0 nothing.
int g_nLevel = 4;

int ClampLevel(int level) { return level < 0 || level > 4 ? 4 : level; }

void Show(const char* format, int IER, const char* NAME) {
    char text[256];
    std::snprintf(text, sizeof text, format, IER, NAME, ' ', " ");
    platform::ui().MessageBox(text, "ISML Message", platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

const char kUndefined[] = "UNDEFINED ERROR,9X,7H(IER = %i) FROM IMSL ROUTINE %s%c%s";
const char kTerminal[] = "TERMINAL ERROR,10X,7H(IER = %i) FROM IMSL ROUTINE %s%c%s";
const char kWarningWithFix[] = "WARNING WITH FIX ERROR  (IER = %i) FROM IMSL ROUTINE %s%c%s";
const char kWarning[] = "WARNING ERROR,11X,7H(IER = %i) FROM IMSL ROUTINE %s%c%s";

}  // namespace

void ErrorReport(int& IER, const char* NAME) {
    if (IER > 999) {
        if (g_nLevel >= 4) Show(kUndefined, IER, NAME);
    } else if (IER > 128) {
        if (g_nLevel >= 1) Show(kTerminal, IER, NAME);
    } else if (IER > 64) {
        if (g_nLevel >= 2) Show(kWarningWithFix, IER, NAME);
    } else if (IER > 32) {
        if (g_nLevel >= 3) Show(kWarning, IER, NAME);
    } else if (IER >= -32) {
        if (std::strncmp(NAME, "UERSET", 3) == 0) {
            const int old = g_nLevel;
            g_nLevel = ClampLevel(IER);
            IER = old;
        } else if (g_nLevel >= 4) {
            Show(kUndefined, IER, NAME);
        }
    }
}

void UERSET(int LEVEL, int& LEVOLD) {
    LEVOLD = g_nLevel;
    g_nLevel = ClampLevel(LEVEL);
}

}  // namespace georef::isml
