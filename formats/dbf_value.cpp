#include "formats/dbf_value.h"

#include "formats/number_text.h"
#include "platform/code_page.h"

namespace formats {
namespace {

std::string_view trim_blanks(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

unsigned days_in_month(unsigned y, unsigned m) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

}  // namespace

bool parse_dbf_number(std::string_view text, double& number) {
    return parse_finite_number(trim_blanks(text), number);
}

bool parse_dbf_date(std::string_view text, double& days) {
    text = trim_blanks(text);
    if (text.size() != 8) return false;
    unsigned digits[8];
    for (std::size_t i = 0; i < 8; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        digits[i] = static_cast<unsigned>(text[i] - '0');
    }
    const unsigned y = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    const unsigned m = digits[4] * 10 + digits[5];
    const unsigned d = digits[6] * 10 + digits[7];
    if (y == 0 || m < 1 || m > 12 || d < 1 || d > days_in_month(y, m)) return false;
    days = static_cast<double>(days_from_civil(y, m, d) - days_from_civil(1899, 12, 30));
    return true;
}

CDBFValue read_dbf_value(std::uint32_t kind, std::string_view raw, const platform::CCodePage& code_page) {
    CDBFValue value;
    read_dbf_value(kind, raw, code_page, value);
    return value;
}

void read_dbf_value(std::uint32_t kind, std::string_view raw, const platform::CCodePage& code_page, CDBFValue& value) {
    switch (kind) {
        case CDBF::kindNumber:
            if (parse_dbf_number(raw, value.m_dValue)) value.m_nKind = kind;
            break;
        case CDBF::kindText:
            // A blank text field is null, as for every other type.
            if (!trim_blanks(raw).empty()) {
                code_page.ToUTF16(raw, value.m_strValue);
                value.m_nKind = kind;
            }
            break;
        case CDBF::kindDate:
            if (parse_dbf_date(raw, value.m_dValue)) value.m_nKind = kind;
            break;
        case CDBF::kindLogical: {
            const std::string_view flag = trim_blanks(raw);
            if (flag.empty()) break;
            switch (flag[0]) {
                case 'T': case 't': case 'Y': case 'y': value.m_bValue = -1; value.m_nKind = kind; break;
                case 'F': case 'f': case 'N': case 'n': value.m_bValue = 0; value.m_nKind = kind; break;
                default: break;  // '?' and anything else: not set
            }
            break;
        }
        default: break;
    }
}

}  // namespace formats
