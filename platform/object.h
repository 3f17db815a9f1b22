#pragma once

namespace platform {

class CArchive;

// Base of the run-time-typed objects of the system. Type tests are dynamic_cast;
// Serialize is used only by the objects that travel through an archive.
class CObject {
public:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
    virtual ~CObject();

    virtual void Serialize(CArchive& ar);
};

}  // namespace platform
