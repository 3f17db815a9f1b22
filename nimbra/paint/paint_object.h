#pragma once

#include "nimbra/export.h"
#include "nimbra/paint/paint.h"
#include "platform/object.h"

namespace tarvel_tech::nimbra {

// Something that draws itself into a paint.
class NIMBRA_API paint::paint_object : public platform::CObject {
public:
    // True when the drawing succeeded.
    virtual bool draw(paint* target) const = 0;
    // Whether the object has anything to draw; the paint may be none.
    virtual bool is_valid(paint* target = nullptr) const;
};

}  // namespace tarvel_tech::nimbra
