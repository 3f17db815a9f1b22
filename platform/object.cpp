#include "platform/object.h"

namespace platform {

CObject::~CObject() = default;

void CObject::Serialize(CArchive&) {}

}  // namespace platform
