// The yardstick of the RRE export: libjpeg alone decodes a JPEG picture whole into memory
// and encodes every whole 120 x 160 tile of it as a JPEG of quality 75, written back to back
// to a file.
//   jpeg_tiles IN.jpg OUT
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: jpeg_tiles IN.jpg OUT\n");
        return 1;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!in || !out) return 2;

    jpeg_decompress_struct d;
    jpeg_error_mgr errors;
    d.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, in);
    jpeg_read_header(&d, TRUE);
    jpeg_start_decompress(&d);
    const int width = static_cast<int>(d.output_width), height = static_cast<int>(d.output_height);
    const int components = d.output_components;
    const std::size_t stride = static_cast<std::size_t>(width) * components;
    std::vector<unsigned char> pixels(stride * height);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = &pixels[stride * d.output_scanline];
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::fclose(in);

    const int tile_width = 120, tile_height = 160;
    long long bytes = 0, tiles = 0;
    for (int top = 0; top + tile_height <= height; top += tile_height) {
        for (int left = 0; left + tile_width <= width; left += tile_width) {
            jpeg_compress_struct c;
            c.err = jpeg_std_error(&errors);
            jpeg_create_compress(&c);
            unsigned char* body = nullptr;
            unsigned long length = 0;
            jpeg_mem_dest(&c, &body, &length);
            c.image_width = tile_width;
            c.image_height = tile_height;
            c.input_components = components;
            c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
            jpeg_set_defaults(&c);
            jpeg_set_quality(&c, 75, TRUE);
            jpeg_start_compress(&c, TRUE);
            JSAMPROW rows[tile_height];
            for (int y = 0; y < tile_height; ++y) rows[y] = &pixels[stride * (top + y) + static_cast<std::size_t>(left) * components];
            jpeg_write_scanlines(&c, rows, tile_height);
            jpeg_finish_compress(&c);
            jpeg_destroy_compress(&c);
            std::fwrite(body, 1, length, out);
            bytes += static_cast<long long>(length);
            ++tiles;
            std::free(body);
        }
    }
    std::fclose(out);
    std::printf("%d x %d: %lld tiles, %lld bytes\n", width, height, tiles, bytes);
    return 0;
}
