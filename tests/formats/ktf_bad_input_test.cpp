#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>

#include "formats/ktf_file.h"
#include "tests/support/files.h"

using namespace formats;

namespace {

const std::string H = "$qzLinerExport\n";
const std::string to_object = "LayerGroup\n{\nLayer\n{\nObject\n{\n";

struct bad_case {
    const char* what;
    std::string text;
    int status;
    int error_line;  // as the failing parser counts
    int file_line;   // in the file, the header being line 1
    int layers;
};

std::string with_crlf(const std::string& lf) {
    std::string out;
    for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

}  // namespace

TEST(KtfBadInput, EachEndsInItsStatusAndLine) {
    const std::string long_line(100000, 'x');
    const bad_case cases[] = {
        {"empty", "", 2, 0, 1, 0},
        {"not text", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 2, 0, 1, 0},
        {"the header alone", H, 0, 0, 0, 0},
        {"lines before the group", H + "; by hand\nLayerGroup\n{\nDescription=A\n}\n", 0, 0, 0, 0},
        {"no braces at all", H + "LayerGroup\nDescription=A\nLayer\nDescription=B\n", 0, 0, 0, 1},
        {"unknown group key", H + "LayerGroup\n{\nColour=1\n}\n", 4, 1, 4, 0},
        {"group key in a layer", H + "LayerGroup\n{\nLayer\n{\nDatum=x\n}\n}\n", 4, 1, 6, 0},
        {"unknown object key after a whole layer",
         H + "LayerGroup\n{\nLayer\n{\n}\nLayer\n{\nObject\n{\nType=Line\nColour=2\n}\n}\n}\n", 4, 2, 12, 1},
        {"type word in lower case", H + to_object + "Type = label\n}\n}\n}\n}\n", 5, 1, 8, 0},
        {"type word unknown", H + to_object + "Type=Circle\n}\n}\n}\n}\n", 5, 1, 8, 0},
        {"points key unknown", H + to_object + "Points\n{\nXYZ=1\nXY=1,2\n}\n}\n}\n}\n", 4, 2, 11, 0},
        {"points block not closed", H + to_object + "Points\n{\nXYZ=1,2,3\n", 2, 2, 11, 0},
        {"group not closed", H + "LayerGroup\n{\nLayer\n{\n}\n", 2, 4, 7, 1},
        {"a line of 100 kB", H + "LayerGroup\n{\nDescription=" + long_line + "\n" + long_line + "\n}\n", 4, 2, 5, 0},
        {"text ending at a NUL", H + "LayerGroup\n{\n" + std::string(1, '\0') + "}\n", 2, 1, 4, 0},
    };
    for (const bad_case& c : cases) {
        for (const std::string& text : {c.text, with_crlf(c.text)}) {
            CKTFFile file;
            EXPECT_EQ(file.Parse(text), c.status) << c.what;
            EXPECT_EQ(file.status, c.status) << c.what;
            EXPECT_EQ(file.errorLine, c.error_line) << c.what;
            EXPECT_EQ(file.reserved, 0) << c.what;
            EXPECT_EQ(file.GetErrorFileLine(), c.file_line) << c.what;
            EXPECT_EQ(file.group.GetLayerCount(), c.layers) << c.what;
        }
    }
}

TEST(KtfBadInput, ValuesLongerThanTheirFieldsAreCutAndShortPointsFilledWithZero) {
    const std::string huge(5000, 'v');
    CKTFFile file;
    file.Parse(H + "LayerGroup\n{\nDescription=" + huge + "\nDatum=" + huge + "\nCreatedOn=" + huge + "\nLayer\n{\nDescription=" +
               huge + "\nObject\n{\nLabel=" + huge + "\nFontName=" + huge + "\nFillChar=\nTag=+12abc\nOld_ID=99999999999\n"
               "Points\n{\nXYZ=5\nXYZ=\nXYZ=1,x,3\nXYZ=1;2\nXYZ=-1e999,0x10,inf\n}\n}\n}\n}\n");
    ASSERT_EQ(file.status, 0);
    EXPECT_EQ(std::string(file.group.datum), huge.substr(0, 29));
    EXPECT_EQ(std::string(file.group.createdOn), huge.substr(0, 24));
    const CKTFObject& o = file.group.layers.at(0).objects.at(0);
    EXPECT_EQ(std::string(file.group.layers[0].description), huge.substr(0, 99));
    EXPECT_EQ(std::string(o.fontName), huge.substr(0, 49));
    EXPECT_EQ(o.fillChar, '\0');
    EXPECT_EQ(o.tag, 12);
    EXPECT_EQ(o.oldId, static_cast<std::int32_t>(99999999999LL & 0xFFFFFFFF));
    const std::vector<std::vector<double>> expected = {
        {5, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {-HUGE_VAL, 16, HUGE_VAL}};
    ASSERT_EQ(o.points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ((std::vector<double>{o.points[i].x, o.points[i].y, o.points[i].z}), expected[i]) << i;
}

// Cut anywhere, or with bytes changed, added or removed, an export parses to some status and
// line within the text, never past it.
TEST(KtfBadInput, TruncatedAndMutatedExportsNeverBreakTheParser) {
    const std::string whole = with_crlf(H + to_object + "Type=Polygon\nLabel=x\nPoints\n{\nXYZ=1,2,3\nXYZ=4,5,6\n}\n}\n}\n}\n");
    const auto check = [](const std::string& text) {
        CKTFFile file;
        file.Parse(text);
        EXPECT_GE(file.status, 0);
        EXPECT_LE(file.status, 5);
        EXPECT_LE(file.GetErrorFileLine(), std::count(text.begin(), text.end(), '\n') + 2) << text;
    };
    for (std::size_t size = 0; size <= whole.size(); ++size) check(whole.substr(0, size));
    std::mt19937 random(77);
    for (int round = 0; round < 2000; ++round) {
        std::string text = whole;
        for (int hits = 1 + static_cast<int>(random() % 4); hits > 0; --hits) {
            const std::size_t at = random() % text.size();
            switch (random() % 3) {
                case 0: text[at] = static_cast<char>(random()); break;
                case 1: text.erase(at, 1 + random() % 8); break;
                default: text.insert(at, std::string(1 + random() % 3, "{}\n=,\0"[random() % 6])); break;
            }
        }
        check(text);
    }
}

TEST(KtfBadInput, FilesThatCannotBeReadOrHeldAreRefused) {
    test_support::temp_dir dir;
    EXPECT_EQ(CKTFFile(dir.file("missing.ktf")).status, 1);
    EXPECT_EQ(CKTFFile(dir.path()).status, 1);
    // A file longer than any export, without a byte on disk.
    const std::string huge = dir.file("huge.ktf");
    const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(CKTFFile::maxTextLength + 1)), 0);
    ::close(fd);
    EXPECT_EQ(CKTFFile(huge).status, 3);
}
