// Decoding and encoding a large JPEG through the library's codec, beside the same work done
// by libjpeg alone: the difference is the library's overhead. Also the bitmap codec.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>

#include "nimbra/image/band_reader.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "platform/mem_file.h"

namespace {

using tarvel_tech::nimbra::band_reader;
using tarvel_tech::nimbra::bmp_band_reader;
using tarvel_tech::nimbra::bmp_image;
using tarvel_tech::nimbra::jpg_band_reader;
using tarvel_tech::nimbra::jpg_image;

constexpr int width = 8000;
constexpr int height = 6000;
constexpr int quality = 75;
constexpr int batch_rows = 16;
// One row of 120 x 160 frames at a time, as the export reads a picture.
constexpr int band_rows = 160;

// The picture once, in the library's form and as top-down RGB rows for plain libjpeg, with
// its JPEG: gradients, grid lines and rings, the structure of a scanned map, not noise.
struct fixture {
    jpg_image picture;
    std::vector<std::uint8_t> rgb;
    std::vector<std::uint8_t> jpeg;
    std::vector<std::uint8_t> bmp;

    fixture() {
        picture.create(width, height, 24, jpg_image::jpg_type);
        rgb.resize(static_cast<std::size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y) {
            std::uint8_t* bgr = picture.row(height - 1 - y);
            std::uint8_t* out = rgb.data() + static_cast<std::size_t>(y) * width * 3;
            for (int x = 0; x < width; ++x) {
                const int dx = x % 1000 - 500, dy = y % 1000 - 500;
                const bool ring = (dx * dx + dy * dy) / 4000 % 7 == 0;
                const bool grid = x % 100 == 0 || y % 100 == 0;
                std::uint8_t r = static_cast<std::uint8_t>(x * 255 / width);
                std::uint8_t g = static_cast<std::uint8_t>(y * 255 / height);
                std::uint8_t b = static_cast<std::uint8_t>(ring ? 220 : 120);
                if (grid) r = g = b = 25;
                bgr[3 * x] = b;
                bgr[3 * x + 1] = g;
                bgr[3 * x + 2] = r;
                out[3 * x] = r;
                out[3 * x + 1] = g;
                out[3 * x + 2] = b;
            }
        }
        picture.get_exinfo().quality = quality;
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t length = 0;
        if (!picture.encode(bytes, length)) std::abort();
        jpeg.assign(bytes.get(), bytes.get() + length);
        bmp_image as_bmp;
        as_bmp.create(width, height, 24, 0);
        std::memcpy(as_bmp.begin(), picture.begin(), picture.get_info().biSizeImage);
        if (!as_bmp.encode(bytes, length)) std::abort();
        bmp.assign(bytes.get(), bytes.get() + length);
    }
};

fixture& data() {
    static fixture f;
    return f;
}

void count_pixels(benchmark::State& state) {
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(width) * height / 1e6 * state.iterations(),
                                                benchmark::Counter::kIsRate);
}

void BM_JpegDecodeLibrary(benchmark::State& state) {
    const fixture& f = data();
    for (auto _ : state) {
        jpg_image img;
        if (!img.decode(f.jpeg.data(), f.jpeg.size())) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(img.begin());
    }
    count_pixels(state);
}

void BM_JpegDecodeLibjpeg(benchmark::State& state) {
    const fixture& f = data();
    for (auto _ : state) {
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr err{};
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, f.jpeg.data(), static_cast<unsigned long>(f.jpeg.size()));
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        const std::size_t line = static_cast<std::size_t>(cinfo.output_width) * cinfo.output_components;
        std::unique_ptr<std::uint8_t[]> pixels(new std::uint8_t[line * cinfo.output_height]);
        JSAMPROW rows[batch_rows];
        while (cinfo.output_scanline < cinfo.output_height) {
            const unsigned k = cinfo.output_scanline;
            const unsigned n = std::min<unsigned>(batch_rows, cinfo.output_height - k);
            for (unsigned i = 0; i < n; ++i) rows[i] = pixels.get() + (k + i) * line;
            jpeg_read_scanlines(&cinfo, rows, n);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.get());
    }
    count_pixels(state);
}

void BM_JpegEncodeLibrary(benchmark::State& state) {
    fixture& f = data();
    for (auto _ : state) {
        platform::CMemFile out(1 << 20);
        if (!f.picture.encode(&out)) state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(out.GetBuffer());
    }
    count_pixels(state);
}

void BM_JpegEncodeLibjpeg(benchmark::State& state) {
    const fixture& f = data();
    for (auto _ : state) {
        jpeg_compress_struct cinfo{};
        jpeg_error_mgr err{};
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_compress(&cinfo);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = width;
        cinfo.image_height = height;
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, quality, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        JSAMPROW rows[batch_rows];
        while (cinfo.next_scanline < cinfo.image_height) {
            const unsigned k = cinfo.next_scanline;
            const unsigned n = std::min<unsigned>(batch_rows, cinfo.image_height - k);
            for (unsigned i = 0; i < n; ++i)
                rows[i] = const_cast<std::uint8_t*>(f.rgb.data()) + static_cast<std::size_t>(k + i) * width * 3;
            jpeg_write_scanlines(&cinfo, rows, n);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        benchmark::DoNotOptimize(buffer);
        std::free(buffer);
    }
    count_pixels(state);
}

void BM_BmpDecodeLibrary(benchmark::State& state) {
    const fixture& f = data();
    for (auto _ : state) {
        bmp_image img;
        if (!img.decode(f.bmp.data(), f.bmp.size())) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(img.begin());
    }
    count_pixels(state);
}

void BM_BmpEncodeLibrary(benchmark::State& state) {
    const fixture& f = data();
    bmp_image img;
    img.decode(f.bmp.data(), f.bmp.size());
    for (auto _ : state) {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t length = 0;
        if (!img.encode(bytes, length)) state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(bytes.get());
    }
    count_pixels(state);
}

// The whole picture band by band, only one band in memory: the same rows as the whole
// decode, so the difference is what reading in bands costs.
void read_bands(benchmark::State& state, band_reader& reader, const std::vector<std::uint8_t>& file_bytes) {
    jpg_image band;
    for (auto _ : state) {
        platform::CMemFile file(file_bytes.data(), file_bytes.size());
        if (!reader.open(&file)) state.SkipWithError("open failed");
        while (reader.read_band(band, band_rows)) benchmark::DoNotOptimize(band.begin());
        if (!reader.at_end()) state.SkipWithError("read failed");
    }
    count_pixels(state);
}

void BM_JpegBandsLibrary(benchmark::State& state) {
    jpg_band_reader reader;
    read_bands(state, reader, data().jpeg);
}

void BM_BmpBandsLibrary(benchmark::State& state) {
    bmp_band_reader reader;
    read_bands(state, reader, data().bmp);
}

void configure(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0)->Repetitions(3)->ReportAggregatesOnly(true);
}

}  // namespace

BENCHMARK(BM_JpegDecodeLibrary)->Apply(configure);
BENCHMARK(BM_JpegDecodeLibjpeg)->Apply(configure);
BENCHMARK(BM_JpegEncodeLibrary)->Apply(configure);
BENCHMARK(BM_JpegEncodeLibjpeg)->Apply(configure);
BENCHMARK(BM_BmpDecodeLibrary)->Apply(configure);
BENCHMARK(BM_BmpEncodeLibrary)->Apply(configure);
BENCHMARK(BM_JpegBandsLibrary)->Apply(configure);
BENCHMARK(BM_BmpBandsLibrary)->Apply(configure);

BENCHMARK_MAIN();
