#include "platform/window.h"

namespace platform {

// Out of line so that the type has one home, shared by the library and the programs.
CWnd::~CWnd() = default;

}  // namespace platform
