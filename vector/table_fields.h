#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace model {

// The attribute table that goes with a shapefile, as a description of its fields.
struct table_field {
    std::string name;  // UTF-8
    char type = 0;     // the dBASE type letter
    std::uint32_t table_kind = 0;      // as the table reader reports it
    std::uint32_t attribute_kind = 0;  // as a point layer keeps it (0 none: not kept)
};

struct table_description {
    std::string path;
    std::string code_page;
    std::uint32_t record_count = 0;
    std::vector<table_field> fields;
};

// The fields of the shapefile's table; none when the table cannot be read.
std::optional<table_description> describe_table(const std::string& shapefile);

}  // namespace model
