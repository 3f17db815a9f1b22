#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "nimbra/export.h"
#include "nimbra/image/bitmap_info.h"
#include "platform/object.h"

namespace tarvel_tech::nimbra {

// A raster picture kept as one packed device-independent bitmap: the 40-byte header, the
// palette as 4-byte entries and the pixel rows bottom-up, each padded to 4 bytes. The block
// can be handed as it stands to anything that draws packed bitmaps. Pixel (x, y) lies in
// memory row y, so y = 0 is the bottom row of the picture.
class NIMBRA_API __image : public platform::CObject {
public:
    enum image_type : std::int32_t { bmp_type = 0, jpg_type = 2, layer_type = 3 };

    // The palette of the image that holds it; it keeps no entries of its own.
    class NIMBRA_API palette {
    public:
        explicit palette(__image* owner) : owner_(owner) {}
        // A copy works on the same image; nothing of the palette is copied.
        palette(const palette& other) : owner_(other.owner_) {}
        palette& operator=(const palette&) { return *this; }
        virtual ~palette();

        std::size_t get_size() const;
        RGBQUAD* begin() const;
        bool is_indexed() const { return count() != 0; }
        RGBQUAD get_color(int index) const;
        bool get_rgb(int index, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) const;
        // The entry closest to the colour (squared distance); the lower index on a tie.
        int nearest_index(RGBQUAD colour) const;

        void replace(int n, const std::uint8_t* reds, const std::uint8_t* greens = nullptr,
                     const std::uint8_t* blues = nullptr);
        void replace(const RGBQUAD* entries, int n);
        void replace(const COLORREF* colours, int n);
        void replace_index(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
        void replace_index(int index, RGBQUAD entry);
        void replace_index(int index, COLORREF colour);
        // Exchanges two entries and renumbers the pixels, so the picture looks the same.
        void swap_index(int i, int j);

        // True when some entry's reserved byte is set.
        bool is_valid() const;
        void blend(COLORREF colour, int percent);
        void make_gray();
        bool is_gray_scale() const;

    private:
        std::uint32_t count() const;
        std::uint8_t* entry(int index) const;

        __image* owner_;
    };

    explicit __image(image_type type);
    // An empty image of the other's kind: neither header nor pixels are copied.
    __image(const __image& other, bool flag = false);
    __image& operator=(const __image&) = delete;
    ~__image() override;

    // A new block for width x height pixels; depths up to 8 become 1, 4 or 8 with a zeroed
    // palette, anything above 24 bits. The pixel bytes are not cleared. None on failure.
    std::uint8_t* create(int width, int height, int bits_per_pixel, int type);
    void destroy();
    // Hands the block to the caller (none when it was borrowed) and forgets it.
    std::unique_ptr<std::uint8_t[]> detach();
    void clear();
    std::size_t size() const;
    std::uint8_t* begin() const { return exinfo.bits; }

    const BITMAPINFOHEADER& get_info() const { return info; }
    tag_image_info& get_exinfo() { return exinfo; }
    const tag_image_info& get_exinfo() const { return exinfo; }
    palette& get_palette() { return palette_; }
    const palette& get_palette() const { return palette_; }

    bool is_inside(int x, int y) const;
    int get_index(int x, int y) const;
    void set_index(int x, int y, int index);
    RGBQUAD get_color(int x, int y) const;
    int get_gray(int x, int y) const;
    void set_color(int x, int y, RGBQUAD colour);
    void set_color(int x, int y, COLORREF colour);
    void set_xdpi(int dpi);
    void set_ydpi(int dpi);

    // Swaps the first and third byte of every 3-byte pixel below min(length, line_bytes).
    void rgb2bgr(std::uint8_t* row, std::size_t length) const;

    // Bit-field masks of 16- and 32-bit source pixels; all zero means the plain layouts
    // (5-5-5 for 16 bits, blue-green-red-unused bytes for 32).
    struct masks {
        std::uint32_t red = 0;
        std::uint32_t green = 0;
        std::uint32_t blue = 0;
    };
    // Expands one row of 16- or 32-bit source pixels into memory row `row` of this 24-bit
    // image; the source holds biWidth pixels.
    bool byte2rgb(int bit_count, const std::uint8_t* source, int row, const masks& m);

    // Takes over the other image's block, header and picture information (its own kind
    // stays), leaving the other empty: a picture changes codec without being copied.
    void take_over(__image& other);

    // Memory row y, or none.
    std::uint8_t* row(int y) const;

protected:
    void init_image(image_type type);
    // Keeps the header copy at the start of the block equal to the header.
    void store_header();
    int depth() const { return info.biBitCount; }

    palette palette_;
    BITMAPINFOHEADER info;
    tag_image_info exinfo;
    std::uint8_t* block = nullptr;
};

}  // namespace tarvel_tech::nimbra
