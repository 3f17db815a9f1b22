#pragma once

#include "platform/ui_service.h"

namespace platform {

// The console face of the operator's services, for the command-line front end: every
// message becomes one line "caption: text" on standard error and is answered with its
// default button. The model's dialogs are not shown: they are cancelled.
class CStderrUIService : public CUIService {
public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
};

}  // namespace platform
