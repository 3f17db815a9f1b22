#include <gtest/gtest.h>

#include <iconv.h>

#include <vector>

#include "platform/code_page.h"
#include "platform/settings.h"
#include "tests/support/settings_sandbox.h"

using platform::CCodePage;

TEST(CodePage, NamedCodePagesConvertToUtf16) {
    EXPECT_EQ(platform::to_utf16("\xCF\xF0\xE8\xE2\xE5\xF2", "CP1251"), u"Привет");
    EXPECT_EQ(platform::to_utf16("\x8F\xE0\xA8\xA2\xA5\xE2", "CP866"), u"Привет");
    EXPECT_EQ(platform::to_utf16("caf\xE9 \x80", "CP1252"), u"café €");
    EXPECT_EQ(platform::utf8_to_utf16("a\xF0\x9F\x97\xBA"), u"a\U0001F5FA");
    EXPECT_EQ(platform::to_utf16("", "CP1251"), u"");
    EXPECT_EQ(platform::to_utf16("abc", "no-such-code-page"), u"");
}

TEST(CodePage, BytesThatAreNoTextBecomeReplacementCharacters) {
    // A stray byte, a sequence cut short inside the text and one cut short at its end.
    EXPECT_EQ(platform::utf8_to_utf16("a\xFF" "b\xE2\x82" "c\xD0"), u"a\uFFFDb\uFFFD\uFFFDc\uFFFD");
    // Large texts grow the output as they go.
    std::string big(100000, 'x');
    big[50000] = '\xFF';
    std::u16string converted = platform::utf8_to_utf16(big);
    ASSERT_EQ(converted.size(), 100000u);
    EXPECT_EQ(converted[50000], u'\uFFFD');
    EXPECT_EQ(converted[99999], u'x');
}

TEST(CodePage, CharactersACodePageCannotHoldBecomeQuestionMarks) {
    CCodePage cp1252("CP1252");
    ASSERT_TRUE(cp1252.IsValid());
    EXPECT_EQ(cp1252.FromUTF16(u"café €"), "caf\xE9 \x80");
    // One mark per character, also for one outside the basic plane and a lone surrogate.
    EXPECT_EQ(cp1252.FromUTF16(u"Жa\U0001F5FAb"), "?a?b");
    EXPECT_EQ(cp1252.FromUTF16(std::u16string{u'x', char16_t(0xD800), u'y', char16_t(0xDC00)}), "x?y?");
    EXPECT_EQ(platform::utf16_to_utf8(u"Привет \U0001F5FA"), "Привет \xF0\x9F\x97\xBA");
    EXPECT_FALSE(CCodePage("no-such-code-page").IsValid());
}

TEST(CodePage, TheSystemCharacterSetIsWindows1252UnlessTheSettingsNameAnother) {
    test_support::settings_sandbox sandbox;
    EXPECT_EQ(platform::system_code_page(), "CP1252");
    EXPECT_EQ(platform::to_system_code_page(u"Zürich Жужа"), "Z\xFCrich ????");
    EXPECT_EQ(platform::utf8_to_system_code_page("Zürich Жужа"), "Z\xFCrich ????");

    platform::settings::set_code_page("CP1251");
    EXPECT_EQ(platform::system_code_page(), "CP1251");
    EXPECT_EQ(platform::to_system_code_page(u"Zürich Жужа"), "Z?rich \xC6\xF3\xE6\xE0");

    platform::settings::set_code_page("no-such-code-page");
    EXPECT_EQ(platform::system_code_page(), "CP1252");
}

TEST(CodePage, PlainTextConvertsAsTheConverterConvertsIt) {
    // Code pages where printable ASCII is itself, and ones where it is not (EBCDIC) or where
    // it can open a sequence of something else (UTF-7's "+", ISO-2022's escapes); each text
    // the C library's converter takes whole compared with what it makes of it.
    const std::string texts[] = {"Moscow 12.5", "a+AGE-b", "~{x~} 1+1=2", "tab\there", ""};
    for (const char* name : {"CP1252", "UTF-8", "CP1251", "UTF-7", "IBM037", "SHIFT_JIS", "ISO-2022-JP", "CP1258"}) {
        CCodePage code_page(name);
        const iconv_t reference = iconv_open("UTF-16LE", name);
        ASSERT_TRUE(code_page.IsValid() && reference != reinterpret_cast<iconv_t>(-1)) << name;
        for (const std::string& text : texts) {
            std::string in = text;
            std::vector<char> out(4 * text.size() + 16);
            char* from = in.data();
            char* to = out.data();
            std::size_t in_left = in.size(), out_left = out.size();
            iconv(reference, nullptr, nullptr, nullptr, nullptr);
            if (iconv(reference, &from, &in_left, &to, &out_left) == static_cast<std::size_t>(-1)) continue;
            iconv(reference, nullptr, nullptr, &to, &out_left);
            std::u16string expected;
            for (const char* p = out.data(); p < to; p += 2)
                expected.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8));
            std::u16string reused = u"left over";
            code_page.ToUTF16(text, reused);
            EXPECT_EQ(code_page.ToUTF16(text), expected) << name << " " << text;
            EXPECT_EQ(reused, expected) << name << " " << text;
        }
        iconv_close(reference);
    }
}
