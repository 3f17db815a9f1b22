#pragma once

#include <cstdint>
#include <cstdio>
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

// Writes a report as it is produced, as one JSON object or as "key: value" lines, to a
// stream; long arrays go item by item, so a report of any length is never held whole.
class report_writer {
public:
    report_writer(std::FILE* out, bool json) : m_out(out), m_bJson(json) {}
    report_writer(const report_writer&) = delete;
    report_writer& operator=(const report_writer&) = delete;

    void member(const std::string& key, const value& v);
    // A member holding an array, whose items follow one by one.
    void begin_array(const std::string& key);
    void item(const value& v);
    void end_array();
    // Ends the object and flushes; false when the stream did not take everything.
    bool finish();

private:
    void start_member(const std::string& key);
    void spill(bool all);

    std::FILE* m_out;
    bool m_bJson;
    bool m_bFirstMember = true;
    bool m_bFirstItem = true;
    std::string m_strKey;  // the array's key, until its first item says how it is written
    std::string m_strBuffer;
};

// A whole report at once; false when standard output did not take it.
bool print_report(const value& report, bool json);

std::string to_json(const value& v);
std::string to_text(const value& v);
// The shortest text that reads back as the same double, in the C locale.
std::string format_double(double d);

}  // namespace cli
