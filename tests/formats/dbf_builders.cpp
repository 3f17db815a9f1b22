#include "tests/formats/dbf_builders.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/endian.h"

namespace dbf_test {

shapelib_table::shapelib_table(const std::string& path, const std::string& code_page) {
    handle_ = code_page.empty() ? DBFCreateEx(path.c_str(), "LDID/0") : DBFCreateEx(path.c_str(), code_page.c_str());
    if (!handle_) throw std::runtime_error("shapelib cannot create " + path);
}

shapelib_table::~shapelib_table() { close(); }

int shapelib_table::add(const std::string& name, char type, int width, int decimals) {
    int field = DBFAddNativeFieldType(handle_, name.c_str(), type, width, decimals);
    EXPECT_GE(field, 0) << name;
    return field;
}

void shapelib_table::text(int record, int field, const std::string& bytes) {
    EXPECT_TRUE(DBFWriteStringAttribute(handle_, record, field, bytes.c_str()));
}

void shapelib_table::number(int record, int field, double value) {
    EXPECT_TRUE(DBFWriteDoubleAttribute(handle_, record, field, value));
}

void shapelib_table::null(int record, int field) {
    EXPECT_TRUE(DBFWriteNULLAttribute(handle_, record, field));
}

void shapelib_table::raw(int record, int field, const std::string& bytes) {
    std::string copy = bytes;
    EXPECT_TRUE(DBFWriteAttributeDirectly(handle_, record, field, copy.data()));
}

void shapelib_table::close() {
    if (handle_) DBFClose(handle_);
    handle_ = nullptr;
}

std::vector<std::uint8_t> table_bytes::build() const {
    namespace endian = platform::endian;
    std::size_t true_record_length = 1;
    for (const auto& f : fields) true_record_length += f.width;
    const std::size_t true_header_length = 32 + 32 * fields.size() + bytes_after_descriptors;

    std::vector<std::uint8_t> out(32, 0);
    out[0] = 0x03;
    out[1] = 124;
    out[2] = 1;
    out[3] = 1;
    endian::put_le32(&out[4], static_cast<std::uint32_t>(header_records >= 0 ? header_records : records.size()));
    endian::put_le16(&out[8], static_cast<std::uint16_t>(header_length >= 0 ? header_length : true_header_length));
    endian::put_le16(&out[10], static_cast<std::uint16_t>(record_length >= 0 ? record_length : true_record_length));
    out[29] = language_driver;
    for (const auto& f : fields) {
        std::uint8_t d[32] = {};
        for (std::size_t i = 0; i < f.name.size() && i < 11; ++i) d[i] = static_cast<std::uint8_t>(f.name[i]);
        d[11] = static_cast<std::uint8_t>(f.type);
        d[16] = f.width;
        out.insert(out.end(), d, d + 32);
    }
    if (bytes_after_descriptors > 0) {
        out.push_back(0x0D);
        out.insert(out.end(), bytes_after_descriptors - 1, 0);
    }
    for (const auto& r : records) {
        std::string body = r;
        body.resize(true_record_length - 1, ' ');
        out.push_back(' ');
        out.insert(out.end(), body.begin(), body.end());
    }
    out.push_back(0x1A);
    return out;
}

}  // namespace dbf_test
