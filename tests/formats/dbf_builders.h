#pragma once

#include <shapefil.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dbf_test {

// A table written by shapelib's writer. The code page goes to the header as "LDID/n" or
// to a .cpg file beside the table as any other text; nothing is written for an empty one.
class shapelib_table {
public:
    explicit shapelib_table(const std::string& path, const std::string& code_page = "");
    shapelib_table(const shapelib_table&) = delete;
    shapelib_table& operator=(const shapelib_table&) = delete;
    ~shapelib_table();

    int add(const std::string& name, char type, int width, int decimals = 0);
    void text(int record, int field, const std::string& bytes);
    void number(int record, int field, double value);
    void null(int record, int field);
    // The bytes as they stand, left-aligned and padded with blanks to the field's width:
    // dates, logical letters, and anything a writer might leave in a field.
    void raw(int record, int field, const std::string& bytes);
    void close();

private:
    DBFHandle handle_ = nullptr;
};

struct field_bytes {
    std::string name;
    char type;
    std::uint8_t width;
};

// A table assembled byte by byte, so that its header can say what the tests need.
struct table_bytes {
    std::vector<field_bytes> fields;
    std::vector<std::string> records;  // each one record's bytes after the deletion mark
    std::uint8_t language_driver = 0;
    // When set, written instead of the true values.
    std::int64_t header_records = -1;
    std::int64_t header_length = -1;
    std::int64_t record_length = -1;
    std::size_t bytes_after_descriptors = 1;  // the terminator and whatever follows it

    std::vector<std::uint8_t> build() const;
};

}  // namespace dbf_test
