#include "formats/json_text.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <random>
#include <string>

namespace {

// Texts of every control character, quotes, backslashes, slashes and multi-byte UTF-8, escaped
// and read back by an independent parser, come back as they were; no raw control byte is left.
TEST(JsonText, EscapedTextsReadBackUnchangedInQt) {
    const std::string pieces[] = {"\"", "\\", "/", "\xC3\xA9", "\xD0\xB3\xD0\xBE", "\xE6\x97\xA5", "\xF0\x9F\x97\xBA",
                                  "a", " ", "\x7F", std::string(1, '\0')};
    std::mt19937 random(17);
    for (int round = 0; round < 500; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i) {
            if (random() % 3 == 0)
                text += static_cast<char>(random() % 0x20);
            else
                text += pieces[random() % std::size(pieces)];
        }
        std::string json = "[";
        formats::append_json_string(json, text);
        json += "]";
        for (const char c : json) ASSERT_GE(static_cast<unsigned char>(c), 0x20u) << json;

        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << json;
        EXPECT_EQ(document.array().at(0).toString().toStdString(), text) << json;
    }
}

}  // namespace
