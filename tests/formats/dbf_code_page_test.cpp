#include <gtest/gtest.h>

#include "formats/dbf.h"
#include "formats/dbf_code_page.h"
#include "platform/settings.h"
#include "tests/formats/dbf_builders.h"
#include "tests/support/files.h"
#include "tests/support/settings_sandbox.h"

using dbf_test::shapelib_table;
using formats::code_page_of_cpg;
using formats::code_page_of_language_driver;

namespace {

// "Привет" in three encodings.
const std::string hello_1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";
const std::string hello_866 = "\x8F\xE0\xA8\xA2\xA5\xE2";
const std::string hello_utf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";

class DbfCodePage : public ::testing::Test {
protected:
    // One text field holding the bytes; code_page as shapelib's writer takes it.
    std::string write(const std::string& name, const std::string& code_page, const std::string& bytes) {
        const std::string path = dir.file(name);
        shapelib_table t(path, code_page);
        t.add("TEXT", 'C', 40);
        t.text(0, 0, bytes);
        return path;
    }

    std::u16string read_text(const std::string& path, std::string* code_page = nullptr) {
        CDBF table;
        EXPECT_EQ(table.Open(path), 0u) << path;
        if (code_page) *code_page = table.GetCodePage();
        const auto& v = table.MoveFirst();
        return v.empty() ? u"" : v[0].m_strValue;
    }

    test_support::settings_sandbox settings;
    test_support::temp_dir dir;
};

}  // namespace

TEST(DbfCodePageNames, CpgTextsNameTheirCodePage) {
    const std::pair<const char*, const char*> cases[] = {
        {"UTF-8", "UTF-8"},        {"utf8\r\n", "UTF-8"},        {"\xEF\xBB\xBFUTF-8", "UTF-8"},
        {"65001", "UTF-8"},        {"1251", "CP1251"},          {"CP1251", "CP1251"},
        {"cp1251\n", "CP1251"},    {"windows-1251", "CP1251"},  {"Windows 1252", "CP1252"},
        {"ANSI 1251", "CP1251"},   {"  866  ", "CP866"},        {"OEM 866", "CP866"},
        {"88595", "ISO-8859-5"},   {"ISO-8859-5", "ISO-8859-5"}, {"ISO8859_1", "ISO-8859-1"},
        {"8859-15", "ISO-8859-15"}, {"28595", "ISO-8859-5"},    {"20866", "KOI8-R"},
        {"KOI8-R", "KOI8-R"},
        // Names that are no code page the converter knows.
        {"", ""},                  {"  \r\n", ""},              {"nonsense", ""},
        {"99999", ""},             {"ANSI", ""},                {"8859-99", ""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(code_page_of_cpg(text), expected) << text;
}

TEST(DbfCodePageNames, LanguageDriverBytesNameTheirCodePage) {
    const std::pair<std::uint8_t, const char*> cases[] = {
        {0x57, "CP1252"}, {0xC9, "CP1251"}, {0x26, "CP866"}, {0x65, "CP866"}, {0x03, "CP1252"},
        {0x01, "CP437"},  {0x02, "CP850"},  {0x64, "CP852"}, {0xC8, "CP1250"}, {0xCB, "CP1253"},
        {0x7D, "CP1255"}, {0x4D, "CP936"},  {0x00, ""},      {0xFF, ""},       {0x68, ""},
    };
    for (const auto& [driver, expected] : cases)
        EXPECT_EQ(code_page_of_language_driver(driver), expected) << int(driver);
}

TEST_F(DbfCodePage, TextIsReadInTheCodePageOfTheCpgFile) {
    for (const char* cpg : {"1251", "CP1251", "windows-1251", "ANSI 1251"}) {
        std::string code_page;
        EXPECT_EQ(read_text(write("cyr.dbf", cpg, hello_1251), &code_page), u"Привет") << cpg;
        EXPECT_EQ(code_page, "CP1251");
    }
    EXPECT_EQ(read_text(write("utf.dbf", "UTF-8", hello_utf8)), u"Привет");
}

TEST_F(DbfCodePage, TextIsReadInTheCodePageOfTheLanguageDriver) {
    EXPECT_EQ(read_text(write("d1251.dbf", "LDID/201", hello_1251)), u"Привет");
    EXPECT_EQ(read_text(write("d866.dbf", "LDID/38", hello_866)), u"Привет");
    EXPECT_EQ(read_text(write("d1252.dbf", "LDID/87", "caf\xE9 \x80")), u"café €");
}

TEST_F(DbfCodePage, TheCpgFileWinsOverTheLanguageDriver) {
    const std::string path = write("both.dbf", "LDID/38", hello_1251);
    test_support::write_bytes(dir.file("both.cpg"), {'1', '2', '5', '1'});
    EXPECT_EQ(read_text(path), u"Привет");
    // The file name's case does not matter for finding it.
    const std::string upper = write("UP.dbf", "LDID/38", hello_1251);
    test_support::write_bytes(dir.file("UP.CPG"), {'1', '2', '5', '1'});
    EXPECT_EQ(read_text(upper), u"Привет");
}

TEST_F(DbfCodePage, UnknownCodePagesFallBackToTheDriverThenToWindows1252) {
    std::string code_page;
    const std::string driver = write("drv.dbf", "LDID/201", hello_1251);
    test_support::write_bytes(dir.file("drv.cpg"), {'x', 'y', 'z'});
    EXPECT_EQ(read_text(driver, &code_page), u"Привет");
    EXPECT_EQ(code_page, "CP1251");

    EXPECT_EQ(read_text(write("none.dbf", "", "caf\xE9"), &code_page), u"café");
    EXPECT_EQ(code_page, "CP1252");
    EXPECT_EQ(read_text(write("odd.dbf", "LDID/104", "caf\xE9"), &code_page), u"café");
    EXPECT_EQ(code_page, "CP1252");
    EXPECT_EQ(read_text(write("bad.dbf", "no-such-code-page", "caf\xE9"), &code_page), u"café");
    EXPECT_EQ(code_page, "CP1252");
}

TEST_F(DbfCodePage, BytesThatAreNoTextBecomeReplacementCharacters) {
    EXPECT_EQ(read_text(write("broken.dbf", "UTF-8", "ab\xFF" "c\xD0")), u"ab\uFFFDc\uFFFD");
}

// Field names go from the table's code page into the system's 8-bit character set, as
// every name of the model is kept.
TEST_F(DbfCodePage, NamesAreKeptInTheSystemCharacterSet) {
    const std::string path = dir.file("names.dbf");
    {
        shapelib_table t(path, "UTF-8");
        t.add("CAF\xC3\x89", 'C', 5);           // "CAFÉ"
        t.add("\xD0\x98\xD0\x9C\xD0\xAF", 'N', 5);  // "ИМЯ"
    }
    CDBF table;
    ASSERT_EQ(table.Open(path), 0u);
    EXPECT_EQ(table.GetNames(), (std::vector<std::string>{"CAF\xC9", "???"}));

    platform::settings::set_code_page("CP1251");
    ASSERT_EQ(table.Open(path), 0u);
    EXPECT_EQ(table.GetNames(), (std::vector<std::string>{"CAF?", "\xC8\xCC\xDF"}));
}
