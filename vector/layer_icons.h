#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "map/sf_layer.h"
#include "shapes/picture.h"

namespace model {

// An 8-bit bitmap file into the picture, decoded by the library's bitmap codec; false when
// the file cannot be read or has another depth (the picture is left as it was then).
bool load_icon(CPicture& picture, const std::string& path);

// The icon pictures point layers can be drawn with; a map keeps at most one such layer.
class CSFLayerIcons : public CSFLayer {
public:
    explicit CSFLayerIcons(CSFMap* map = nullptr);
    ~CSFLayerIcons() override;

    // Every 8-bit bitmap (*.bmp) of the folder, in the order of their names, made on the
    // device context. True when no icon was found.
    bool LoadIcons(const std::string& folder, platform::CDC* dc);
    // The picture's number becomes the current count; then it is appended.
    void AddIcon(std::unique_ptr<CPicture> picture);
    // The picture of that number, or none when the number is not below the count.
    CPicture* GetIcon(std::uint32_t number) const override;

    // The icon record of the map document, tag included.
    void WriteDocument(platform::CFile& file) override;
    // The icon record after its tag; read_failed when the document ends or cannot hold it.
    read_result ReadIcons(platform::CFile& file, platform::CDC* dc) override;

    std::vector<std::unique_ptr<CPicture>> m_aIcons;
    // The pixels of the icons read from a map document; the pictures borrow their slices.
    std::vector<std::uint16_t> m_pPixels;
    std::uint32_t m_nIcons = 0;
};

}  // namespace model
