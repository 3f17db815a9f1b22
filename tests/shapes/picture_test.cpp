// Icon pictures: 5-6-5 colours and the document's pixel block.
#include <gtest/gtest.h>

#include "platform/endian.h"
#include "platform/mem_file.h"
#include "shapes/picture.h"

using namespace model;

using platform::RGB;

TEST(Picture, ColourReferencesReduceToTheirTopBits) {
    EXPECT_EQ(CPicture(nullptr, RGB(255, 0, 0), 1, 1).get_pixels()[0], 0xF800);
    EXPECT_EQ(CPicture(nullptr, RGB(0, 255, 0), 1, 1).get_pixels()[0], 0x07E0);
    EXPECT_EQ(CPicture(nullptr, RGB(0, 0, 255), 1, 1).get_pixels()[0], 0x001F);
    CPicture grey(nullptr, RGB(0x84, 0x82, 0x88), 3, 2);
    EXPECT_EQ(grey.get_width(), 3u);
    EXPECT_EQ(grey.get_pixels()[5], (0x84 >> 3) << 11 | (0x82 >> 2) << 5 | (0x88 >> 3));
}

TEST(Picture, DocumentBlockIsLastPixelFirstAndComesBackInPlace) {
    std::vector<std::uint16_t> pixels(16 * 16);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint16_t>(i * 37);
    CPicture icon(nullptr, pixels, 16, 16);
    platform::CMemFile file;
    icon.write(file);
    ASSERT_EQ(file.GetLength(), 512u);
    const std::uint8_t* bytes = file.GetBuffer();
    EXPECT_EQ(platform::endian::get_le16(bytes), pixels.back());

    std::vector<std::uint16_t> block(256);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = platform::endian::get_le16(bytes + 2 * i);
    CPicture back(nullptr);
    back.set_size(16, 16);
    back.set_pixels(block.data());
    EXPECT_EQ(std::vector<std::uint16_t>(back.get_pixels(), back.get_pixels() + 256), pixels);
}
