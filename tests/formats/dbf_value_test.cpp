#include <gtest/gtest.h>

#include "formats/dbf_value.h"
#include "platform/code_page.h"

using formats::parse_dbf_date;
using formats::parse_dbf_number;
using formats::read_dbf_value;

TEST(DbfValue, DatesCountDaysFrom30December1899) {
    const std::pair<const char*, double> dates[] = {
        {"18991230", 0},      {"19000101", 2},       {"20200115", 43845},  {"20000229", 36585},
        {"19700101", 25569},  {"18000101", -36522},  {"00010101", -693593}, {"99991231", 2958465},
        {" 20200115 ", 43845},
    };
    for (const auto& [text, days] : dates) {
        double d = -1e9;
        EXPECT_TRUE(parse_dbf_date(text, d)) << text;
        EXPECT_EQ(d, days) << text;
    }
    for (const char* bad : {"19000229", "20210229", "20201301", "20200132", "20200100", "20200431",
                            "2020011", "202001151", "2020O115", "00000000", "00001231", "", "        ",
                            "2020-1-5", "+2020115"}) {
        double d = 0;
        EXPECT_FALSE(parse_dbf_date(bad, d)) << bad;
    }
}

TEST(DbfValue, NumbersReadInTheCLocaleAndOnlyWhole) {
    const std::pair<const char*, double> numbers[] = {
        {"42", 42},     {"  -12.50", -12.5}, {"+3", 3},      {".5", 0.5},     {"-.25", -0.25},
        {"1.5e+03", 1500}, {"2.5E-2 ", 0.025}, {"0", 0},     {"-0", -0.0},
    };
    for (const auto& [text, value] : numbers) {
        double n = -1;
        EXPECT_TRUE(parse_dbf_number(text, n)) << text;
        EXPECT_EQ(n, value) << text;
    }
    for (const char* bad : {"", "   ", "*****", "1,5", "abc", "12abc", "+-1", "1e999", "nan", "inf", "- 1",
                            "0x10"}) {
        double n = 0;
        EXPECT_FALSE(parse_dbf_number(bad, n)) << bad;
    }
}

TEST(DbfValue, LogicalLettersAreTheSixteenBitBoolean) {
    platform::CCodePage cp("CP1252");
    for (const char* yes : {"T", "t", "Y", "y", " T"}) {
        CDBFValue v = read_dbf_value(CDBF::kindLogical, yes, cp);
        EXPECT_EQ(v.m_nKind, CDBF::kindLogical) << yes;
        EXPECT_EQ(v.m_bValue, -1) << yes;
    }
    for (const char* no : {"F", "f", "N", "n"}) {
        CDBFValue v = read_dbf_value(CDBF::kindLogical, no, cp);
        EXPECT_EQ(v.m_nKind, CDBF::kindLogical) << no;
        EXPECT_EQ(v.m_bValue, 0) << no;
    }
    for (const char* none : {"?", " ", "", "X", "1"})
        EXPECT_EQ(read_dbf_value(CDBF::kindLogical, none, cp).m_nKind, CDBF::kindNone) << none;
}

TEST(DbfValue, BlankTextIsNoValueAndOtherKindsAreNeverRead) {
    platform::CCodePage cp("CP1252");
    EXPECT_EQ(read_dbf_value(CDBF::kindText, "", cp).m_nKind, CDBF::kindNone);
    EXPECT_EQ(read_dbf_value(CDBF::kindText, "   ", cp).m_nKind, CDBF::kindNone);
    CDBFValue text = read_dbf_value(CDBF::kindText, "x\xE9", cp);
    EXPECT_EQ(text.m_nKind, CDBF::kindText);
    EXPECT_EQ(text.m_strValue, u"xé");
    EXPECT_EQ(read_dbf_value(CDBF::kindNone, "12", cp).m_nKind, CDBF::kindNone);
}
