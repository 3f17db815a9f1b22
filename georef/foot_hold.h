#pragma once

#include <memory>
#include <vector>

#include "georef/ground_point.h"
#include "georef/pt.h"
#include "platform/device_context.h"
#include "platform/geometry.h"

namespace georef {

// The footholds of one layer, in the order they were placed. The list owns them. Every
// operation taking an index answers the "nothing" value for an index outside the list.
class CFootHold {
public:
    static constexpr int kMaxCount = 1000;

    CFootHold();
    CFootHold(const CFootHold&) = delete;
    CFootHold& operator=(const CFootHold&) = delete;
    virtual ~CFootHold();

    // A new used foothold at a plane position, numbered one past the last number handed out,
    // on the ground at (0, 0). Answers its index, or -1 when the list is full.
    int Add(const platform::CPoint& plane);
    bool RemoveAt(int index);
    // Removes the foothold nearest to a plane position (the first of equally near ones).
    bool RemoveNearest(const platform::CPoint& plane);
    void Clear();

    int GetCount() const { return static_cast<int>(m_pItems.size()); }
    int GetUsedCount() const { return m_nUsedCount; }
    // (0, 0, 0) for a bad index.
    CPt GetPlane(int index) const;
    // Null for a bad index.
    CPt* GetGround(int index);
    const CPt* GetGround(int index) const;
    // -1 for a bad index.
    int GetNumber(int index) const;
    bool SetNumber(int index, int number);
    bool IsUsed(int index) const;
    bool SetGround(int index, const CPt& ground);
    bool SetUsed(int index);
    bool SetUnused(int index);

    // Draws every foothold: the marker centred on its position and its position in the list
    // (from 1) in red beside it. A plane position p lands at (offset + trunc(p)) * zoom.
    // Answers the number of footholds.
    int Draw(platform::CDC* dc, const platform::CPoint& offset, int zoom) const;

private:
    CGroundPoint* Item(int index) const;

    std::vector<std::unique_ptr<CGroundPoint>> m_pItems;
    int m_nUsedCount = 0;
    int m_nNextNumber = 0;  // the last number handed out
    mutable platform::CFont m_font;
};

}  // namespace georef
