#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "map/sf_layer.h"
#include "vector/picture.h"

// The icon pictures point layers can be drawn with; a map keeps at most one such layer.
class CSFLayerIcons : public CSFLayer {
public:
    explicit CSFLayerIcons(CSFMap* map = nullptr);
    ~CSFLayerIcons() override;

    // The picture's number becomes the current count; then it is appended.
    void AddIcon(std::unique_ptr<CPicture> picture);
    // The picture of that number, or none when the number is not below the count.
    CPicture* GetIcon(std::uint32_t number) const;

    std::vector<std::unique_ptr<CPicture>> m_aIcons;
    std::vector<std::uint16_t> m_pPixels;
    std::uint32_t m_nIcons = 0;
};
