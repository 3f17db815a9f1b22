#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace cli {

// What a command reports: an ordered tree printed either as one JSON object or as
// "key: value" lines for people.
class value {
public:
    using array = std::vector<value>;
    using object = std::vector<std::pair<std::string, value>>;

    value() = default;
    value(bool b) : data_(b) {}
    value(int i) : data_(std::int64_t{i}) {}
    value(unsigned i) : data_(std::int64_t{i}) {}
    value(std::int64_t i) : data_(i) {}
    value(std::uint64_t i) : data_(static_cast<std::int64_t>(i)) {}
    value(double d) : data_(d) {}
    value(std::string s) : data_(std::move(s)) {}
    value(const char* s) : data_(std::string(s)) {}
    value(array a) : data_(std::move(a)) {}
    value(object o) : data_(std::move(o)) {}

    const auto& data() const { return data_; }

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, array, object> data_;
};

std::string to_json(const value& v);
std::string to_text(const value& v);
// The shortest text that reads back as the same double, in the C locale.
std::string format_double(double d);

}  // namespace cli
