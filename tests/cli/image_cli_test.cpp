// The picture commands: info on BMP and JPEG, convert-image and decode-rre.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "nimbra/layer/write_layer.h"
#include "tests/cli/cli_support.h"
#include "tests/nimbra/image/jpeg_bytes.h"
#include "tests/support/files.h"
#include "tests/support/process.h"

using cli_test::run_cli;
using cli_test::run_json;
using tarvel_tech::nimbra::bmp_image;
using tarvel_tech::nimbra::jpg_image;
using tarvel_tech::nimbra::RGBQUAD;
using tarvel_tech::nimbra::write_layer;

namespace {

void run_peer(const std::string& name, const std::vector<std::string>& args) {
    const std::string program = test_support::find_program(name);
    ASSERT_FALSE(program.empty()) << name << " is not installed";
    const auto result = test_support::run_process(program, args);
    ASSERT_EQ(result.exit_code, 0) << result.err;
}

// The JPEG of a flat 40 x 30 frame of the library's encoder, its colour from its number.
std::vector<std::uint8_t> frame_body(int i) {
    jpg_image f;
    f.create(40, 30, 24, 2);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) f.set_color(x, y, RGBQUAD{0, 0, static_cast<std::uint8_t>(60 * i), 0});
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t length = 0;
    EXPECT_TRUE(f.encode(bytes, length));
    return {bytes.get(), bytes.get() + length};
}

// A 2 x 2 layer of 40 x 30 JPEG frames, each a flat colour of its own; frame 0's body
// replaced when one is given.
std::string write_layer_file(const test_support::temp_dir& dir, const std::vector<std::uint8_t>& first = {}) {
    write_layer w;
    auto& h = w.get_header();
    h.set_frame_grid(2, 2, 40, 30);
    for (int i = 0; i < 4; ++i) {
        const auto body = i == 0 && !first.empty() ? first : frame_body(i);
        w.put_frame(body.data(), body.size());
    }
    EXPECT_TRUE(w.save(dir.file("layer.rre")));
    return dir.file("layer.rre");
}

}  // namespace

TEST(CliImages, DamagedJpegsFailEverywhereWithTheirReason) {
    test_support::temp_dir dir;
    const auto whole = frame_body(1);
    const std::size_t data = image_test::jpeg_scan_data_start(whole);
    auto huge = whole;
    image_test::set_jpeg_frame_size(huge, 65500, 65500);
    huge.resize(data);
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* reason;
    } damaged[] = {
        {"cut after its scan header", {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(data)}, "at most 0 of 30 rows present"},
        {"cut in its scan", {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>((data + whole.size()) / 2)}, " of 30 rows present"},
        {"declaring 65500 x 65500 with no data", huge, "at most 0 of 65500 rows present"},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.name);
        test_support::write_bytes(dir.file("bad.jpg"), d.bytes);
        const auto info = run_cli({"info", dir.file("bad.jpg")});
        EXPECT_EQ(info.exit_code, 2);
        EXPECT_TRUE(info.out.empty());
        EXPECT_NE(info.err.find(d.reason), std::string::npos) << info.err;
        const auto converted = run_cli({"convert-image", dir.file("bad.jpg"), "-o", dir.file("out.bmp")});
        EXPECT_EQ(converted.exit_code, 2);
        EXPECT_NE(converted.err.find(d.reason), std::string::npos) << converted.err;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.bmp")));

        // As the body of a layer, the frame is named with the same reason.
        const auto decoded = run_cli({"decode-rre", write_layer_file(dir, d.bytes), "-o", dir.file("out.bmp")});
        EXPECT_EQ(decoded.exit_code, 2);
        EXPECT_NE(decoded.err.find("cannot decode frame 0 (row 0, column 0) of"), std::string::npos) << decoded.err;
        EXPECT_NE(decoded.err.find(d.reason), std::string::npos) << decoded.err;
    }
}

TEST(CliImages, InfoDescribesBitmapsAndJpegs) {
    test_support::temp_dir dir;
    run_peer("convert", {"-size", "33x21", "gradient:red-blue", "-colors", "40", "-type", "palette", "-density",
                         "300", "-units", "PixelsPerInch", "-compress", "None", "BMP3:" + dir.file("p.bmp")});
    QJsonObject o = run_json({"info", dir.file("p.bmp"), "--json"});
    EXPECT_EQ(o["width"].toInt(), 33);
    EXPECT_EQ(o["height"].toInt(), 21);
    EXPECT_EQ(o["bit_count"].toInt(), 8);
    EXPECT_EQ(o["palette_entries"].toInt(), 256);
    EXPECT_EQ(o["xdpi"].toInt(), 300);
    EXPECT_EQ(o["image_type"].toInt(), 0);

    run_peer("convert", {"-size", "17x9", "gradient:white-black", "-colorspace", "Gray", dir.file("g.jpg")});
    o = run_json({"info", dir.file("g.jpg"), "--json"});
    EXPECT_EQ(o["width"].toInt(), 17);
    EXPECT_EQ(o["bit_count"].toInt(), 8);
    EXPECT_EQ(o["palette_entries"].toInt(), 256);
    EXPECT_EQ(o["image_type"].toInt(), 2);

    test_support::write_bytes(dir.file("bad.jpg"), {'B', 'M', 1, 2});
    const auto bad = run_cli({"info", dir.file("bad.jpg")});
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_NE(bad.err.find("Not a JPEG file"), std::string::npos) << bad.err;
}

TEST(CliImages, ConvertImageGoesBothWaysThroughTheCodecs) {
    test_support::temp_dir dir;
    run_peer("convert", {"-size", "64x48", "gradient:red-blue", "-type", "truecolor", "BMP3:" + dir.file("in.bmp")});
    ASSERT_EQ(run_cli({"convert-image", dir.file("in.bmp"), "-o", dir.file("high.jpg"), "--quality", "95"}).exit_code, 0);
    ASSERT_EQ(run_cli({"convert-image", dir.file("in.bmp"), "-o", dir.file("low.jpg"), "--quality", "20"}).exit_code, 0);
    run_peer("djpeg", {"-outfile", dir.file("check.ppm"), dir.file("high.jpg")});
    EXPECT_LT(test_support::read_bytes(dir.file("low.jpg")).size(), test_support::read_bytes(dir.file("high.jpg")).size());

    ASSERT_EQ(run_cli({"convert-image", dir.file("high.jpg"), "-o", dir.file("back.bmp")}).exit_code, 0);
    bmp_image back;
    ASSERT_TRUE(back.load(dir.file("back.bmp")));
    jpg_image direct;
    ASSERT_TRUE(direct.load(dir.file("high.jpg")));
    EXPECT_EQ(back.get_info().biWidth, 64);
    EXPECT_EQ(std::memcmp(back.begin(), direct.begin(), direct.get_info().biSizeImage), 0);

    // A colour palette becomes 24-bit colour in a JPEG and a PNG: the colours ImageMagick reads
    // from them are those of the palette picture.
    run_peer("convert", {dir.file("in.bmp"), "-colors", "8", "-type", "palette", "BMP3:" + dir.file("pal.bmp")});
    ASSERT_EQ(run_cli({"convert-image", dir.file("pal.bmp"), "-o", dir.file("pal.jpg"), "--quality", "100"}).exit_code, 0);
    ASSERT_EQ(run_cli({"convert-image", dir.file("pal.bmp"), "-o", dir.file("pal.png")}).exit_code, 0);
    run_peer("convert", {dir.file("pal.jpg"), "BMP3:" + dir.file("pal-jpg.bmp")});
    run_peer("convert", {dir.file("pal.png"), "-type", "truecolor", "BMP3:" + dir.file("pal-png.bmp")});
    bmp_image palette, from_jpeg, from_png;
    ASSERT_TRUE(palette.load(dir.file("pal.bmp")));
    ASSERT_TRUE(from_jpeg.load(dir.file("pal-jpg.bmp")));
    ASSERT_TRUE(from_png.load(dir.file("pal-png.bmp")));
    EXPECT_EQ(from_jpeg.get_info().biBitCount, 24);
    // The PNG holds the palette's colours exactly; the JPEG (of a dithered picture) on average.
    double mean_error[3] = {};
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const RGBQUAD want = palette.get_color(x, y), jpeg = from_jpeg.get_color(x, y), png = from_png.get_color(x, y);
            ASSERT_TRUE(png.rgbRed == want.rgbRed && png.rgbGreen == want.rgbGreen && png.rgbBlue == want.rgbBlue)
                << x << " " << y;
            mean_error[0] += (jpeg.rgbRed - want.rgbRed) / (64.0 * 48);
            mean_error[1] += (jpeg.rgbGreen - want.rgbGreen) / (64.0 * 48);
            mean_error[2] += (jpeg.rgbBlue - want.rgbBlue) / (64.0 * 48);
        }
    }
    for (double e : mean_error) EXPECT_LT(std::fabs(e), 3.0);

    EXPECT_EQ(run_cli({"convert-image", dir.file("in.bmp"), "-o", dir.file("x.jpg"), "--quality", "101"}).exit_code, 1);
    EXPECT_EQ(run_cli({"convert-image", dir.file("in.bmp"), "-o", dir.file("x.tif")}).exit_code, 1);
    // A failed conversion onto an existing picture leaves it as it was.
    const auto whole = test_support::read_bytes(dir.file("in.bmp"));
    test_support::write_bytes(dir.file("cut.bmp"), std::vector<std::uint8_t>(whole.begin(), whole.begin() + 500));
    const auto kept = test_support::read_bytes(dir.file("high.jpg"));
    EXPECT_EQ(run_cli({"convert-image", dir.file("cut.bmp"), "-o", dir.file("high.jpg")}).exit_code, 2);
    EXPECT_EQ(test_support::read_bytes(dir.file("high.jpg")), kept);
    EXPECT_EQ(run_cli({"convert-image", dir.file("in.bmp")}).exit_code, 1);
    EXPECT_EQ(run_cli({"convert-image", dir.file("missing.bmp"), "-o", dir.file("x.jpg")}).exit_code, 2);
    EXPECT_EQ(run_cli({"convert-image", dir.file("in.bmp"), "-o", dir.file("no/such/dir.jpg")}).exit_code, 2);
}

TEST(CliImages, DecodeRreWritesTheWholeLayer) {
    test_support::temp_dir dir;
    const std::string rre = write_layer_file(dir);
    ASSERT_EQ(run_cli({"decode-rre", rre, "-o", dir.file("out.bmp")}).exit_code, 0);
    bmp_image picture;
    ASSERT_TRUE(picture.load(dir.file("out.bmp")));
    EXPECT_EQ(picture.get_info().biWidth, 80);
    EXPECT_EQ(picture.get_info().biHeight, 60);
    // Frame 3 is the bottom-right quarter, frame 0 the top-left.
    EXPECT_NEAR(picture.get_color(70, 5).rgbRed, 180, 2);
    EXPECT_NEAR(picture.get_color(5, 55).rgbRed, 0, 2);

    ASSERT_EQ(run_cli({"decode-rre", rre, "-o", dir.file("out.jpg")}).exit_code, 0);
    const QJsonObject o = run_json({"info", dir.file("out.jpg"), "--json"});
    EXPECT_EQ(o["width"].toInt(), 80);
    EXPECT_EQ(o["bit_count"].toInt(), 24);

    test_support::write_bytes(dir.file("short.rre"), std::vector<std::uint8_t>(100, 1));
    EXPECT_EQ(run_cli({"decode-rre", dir.file("short.rre"), "-o", dir.file("x.bmp")}).exit_code, 2);
    EXPECT_EQ(run_cli({"decode-rre", rre}).exit_code, 1);
    EXPECT_EQ(run_cli({"decode-rre", rre, "-o", dir.file("x.tif")}).exit_code, 1);
}
