#include "formats/dbf_layout.h"

#include <algorithm>

#include "platform/endian.h"
#include "platform/file.h"

namespace formats {
namespace {

constexpr std::uint8_t descriptors_end = 0x0D;

bool read_exactly(platform::CFile& file, std::vector<std::uint8_t>& bytes) {
    return file.Read(bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

bool read_dbf_layout(platform::CFile& file, dbf_layout& layout) {
    namespace endian = platform::endian;
    layout = dbf_layout{};
    const std::uint64_t file_length = file.GetLength();

    std::vector<std::uint8_t> fixed(dbf_file_header_size);
    file.SeekToBegin();
    if (!read_exactly(file, fixed)) return false;
    layout.header_records = endian::get_le32(&fixed[4]);
    layout.header_length = endian::get_le16(&fixed[8]);
    layout.record_length = endian::get_le16(&fixed[10]);
    layout.language_driver = fixed[29];
    if (layout.header_length < dbf_file_header_size || layout.header_length > file_length ||
        layout.record_length == 0)
        return false;

    std::vector<std::uint8_t> descriptors(layout.header_length - dbf_file_header_size);
    if (!read_exactly(file, descriptors)) return false;
    // Descriptors end at the terminator byte or where the header ends, whichever comes
    // first; what follows the terminator (some writers keep a backlink there) is no field.
    std::size_t end_of_record = 1;  // the deletion mark comes first
    for (std::size_t at = 0; at + dbf_field_descriptor_size <= descriptors.size();
         at += dbf_field_descriptor_size) {
        const std::uint8_t* d = &descriptors[at];
        if (d[0] == descriptors_end) break;
        dbf_field_layout field;
        const auto* name_end = std::find(d, d + 11, std::uint8_t{0});
        field.raw_name.assign(d, name_end);
        field.type = static_cast<char>(d[11]);
        field.width = d[16];
        field.decimals = d[17];
        end_of_record += field.width;
        if (end_of_record > layout.record_length) return false;
        layout.fields.push_back(std::move(field));
    }

    // A file cut short, or a header that claims more records than follow it, gives the
    // complete records that are there; bytes past the stated count (the end-of-file mark,
    // or a writer's unfinished record) are not records.
    const std::uint64_t present = (file_length - layout.header_length) / layout.record_length;
    layout.records = static_cast<std::uint32_t>(std::min<std::uint64_t>(present, layout.header_records));
    return true;
}

}  // namespace formats
