#include "cli/report.h"

#include <cmath>

#include "formats/json_text.h"
#include "formats/number_text.h"

namespace cli {
namespace {

using formats::append_json_string;

template <class... F>
struct overloaded : F... {
    using F::operator()...;
};
template <class... F>
overloaded(F...) -> overloaded<F...>;

void write_json(std::string& out, const value& v) {
    std::visit(overloaded{
                   [&](std::monostate) { out += "null"; },
                   [&](bool b) { out += b ? "true" : "false"; },
                   [&](std::int64_t i) { out += std::to_string(i); },
                   // JSON has no NaN or infinity.
                   [&](double d) { out += std::isfinite(d) ? format_double(d) : "null"; },
                   [&](const std::string& s) { append_json_string(out, s); },
                   [&](const value::array& a) {
                       out += '[';
                       for (std::size_t i = 0; i < a.size(); ++i) {
                           if (i) out += ", ";
                           write_json(out, a[i]);
                       }
                       out += ']';
                   },
                   [&](const value::object& o) {
                       out += '{';
                       for (std::size_t i = 0; i < o.size(); ++i) {
                           if (i) out += ", ";
                           append_json_string(out, o[i].first);
                           out += ": ";
                           write_json(out, o[i].second);
                       }
                       out += '}';
                   },
               },
               v.data());
}

bool is_scalar(const value& v) {
    return !std::holds_alternative<value::array>(v.data()) &&
           !std::holds_alternative<value::object>(v.data());
}

// Arrays of scalars print on one line; anything deeper gets a line per item.
bool is_flat(const value& v) {
    if (const auto* a = std::get_if<value::array>(&v.data())) {
        for (const value& item : *a)
            if (!is_scalar(item)) return false;
        return true;
    }
    return is_scalar(v);
}

void write_scalar_text(std::string& out, const value& v) {
    if (const auto* s = std::get_if<std::string>(&v.data()))
        out += *s;
    else if (const auto* d = std::get_if<double>(&v.data()))
        out += format_double(*d);
    else
        write_json(out, v);
}

void write_flat_text(std::string& out, const value& v) {
    if (const auto* a = std::get_if<value::array>(&v.data())) {
        out += '[';
        for (std::size_t i = 0; i < a->size(); ++i) {
            if (i) out += ", ";
            write_flat_text(out, (*a)[i]);
        }
        out += ']';
    } else {
        write_scalar_text(out, v);
    }
}

void write_text(std::string& out, const value& v, int indent);

void write_member_text(std::string& out, const std::string& key, const value& v, int indent) {
    out.append(static_cast<std::size_t>(indent), ' ');
    out += key;
    out += ':';
    if (is_flat(v)) {
        out += ' ';
        write_flat_text(out, v);
        out += '\n';
    } else {
        out += '\n';
        write_text(out, v, indent + 2);
    }
}

void write_text(std::string& out, const value& v, int indent) {
    if (const auto* o = std::get_if<value::object>(&v.data())) {
        for (const auto& [key, member] : *o) write_member_text(out, key, member, indent);
    } else if (const auto* a = std::get_if<value::array>(&v.data())) {
        for (const value& item : *a) {
            if (is_flat(item)) {
                out.append(static_cast<std::size_t>(indent), ' ');
                out += "- ";
                write_flat_text(out, item);
                out += '\n';
            } else {
                out.append(static_cast<std::size_t>(indent), ' ');
                out += "-\n";
                write_text(out, item, indent + 2);
            }
        }
    } else {
        out.append(static_cast<std::size_t>(indent), ' ');
        write_scalar_text(out, v);
        out += '\n';
    }
}

}  // namespace

std::string format_double(double d) {
    if (std::isnan(d)) return "nan";
    if (std::isinf(d)) return d > 0 ? "inf" : "-inf";
    return formats::format_number(d);
}

void report_writer::start_member(const std::string& key) {
    if (m_bJson) {
        m_strBuffer += m_bFirstMember ? "{" : ", ";
        append_json_string(m_strBuffer, key);
        m_strBuffer += ": ";
    }
    m_bFirstMember = false;
}

void report_writer::member(const std::string& key, const value& v) {
    start_member(key);
    if (m_bJson)
        write_json(m_strBuffer, v);
    else
        write_member_text(m_strBuffer, key, v, 0);
    spill(false);
}

void report_writer::begin_array(const std::string& key) {
    start_member(key);
    if (m_bJson) m_strBuffer += '[';
    m_strKey = key;
    m_bFirstItem = true;
}

void report_writer::item(const value& v) {
    if (m_bJson) {
        if (!m_bFirstItem) m_strBuffer += ", ";
        write_json(m_strBuffer, v);
    } else {
        if (m_bFirstItem) m_strBuffer += m_strKey + ":\n";
        write_text(m_strBuffer, value::array{v}, 2);
    }
    m_bFirstItem = false;
    spill(false);
}

void report_writer::end_array() {
    if (m_bJson)
        m_strBuffer += ']';
    else if (m_bFirstItem)
        m_strBuffer += m_strKey + ": []\n";
    spill(false);
}

bool report_writer::finish() {
    if (m_bJson) m_strBuffer += m_bFirstMember ? "{}\n" : "}\n";
    spill(true);
    return std::fflush(m_out) == 0 && !std::ferror(m_out);
}

// Written out in blocks, so that the report never waits whole in memory.
void report_writer::spill(bool all) {
    if (!all && m_strBuffer.size() < (1u << 16)) return;
    std::fwrite(m_strBuffer.data(), 1, m_strBuffer.size(), m_out);
    m_strBuffer.clear();
}

bool print_report(const value& report, bool json) {
    report_writer writer(stdout, json);
    if (const auto* o = std::get_if<value::object>(&report.data()))
        for (const auto& [key, member] : *o) writer.member(key, member);
    return writer.finish();
}

std::string to_json(const value& v) {
    std::string out;
    write_json(out, v);
    out += '\n';
    return out;
}

std::string to_text(const value& v) {
    std::string out;
    write_text(out, v, 0);
    return out;
}

}  // namespace cli
