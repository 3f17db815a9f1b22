#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/ktf.h"
#include "formats/ktf_layer_group.h"

namespace formats {

// A text export file (.ktf): the header line "$qzLinerExport", then lines that are skipped
// until "LayerGroup" starts the group block.
class CKTFFile : public CKTF {
public:
    // Texts longer than this are refused as the memory they would need (status 3).
    static constexpr std::uint64_t maxTextLength = std::uint64_t{1} << 28;

    CKTFFile() = default;
    // Reads the file whole and parses it; the result is in status.
    explicit CKTFFile(const std::string& path);

    std::int32_t Load(const std::string& path);
    // The whole text of a file, from its header on. The text ends at its first NUL.
    std::int32_t Parse(std::string_view text) override;

    // The line of the file where parsing failed (the header's is 1); 0 when it did not
    // fail on a line. For diagnosis only.
    std::int32_t GetErrorFileLine() const;

    CKTFLayerGroup group;

protected:
    std::int32_t ParseLine(const std::string& line, line_context& context) override;

private:
    bool m_bHeaderRead = false;
};

}  // namespace formats
