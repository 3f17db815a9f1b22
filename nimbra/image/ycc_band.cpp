#include "nimbra/image/ycc_band.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NIMBRA_YCC_AVX2 1
#endif

#include "nimbra/image/__image.h"

namespace tarvel_tech::nimbra {
namespace {

// Rows are worked in whole vectors of this many output pixels; what lies beyond the wanted
// pixels is computed into scratch and dropped.
constexpr int kLanes = 32;
constexpr int whole_vectors(int n) { return (n + kLanes - 1) / kLanes * kLanes; }

// libjpeg's YCbCr to RGB conversion in 16-bit fixed point, rounded as its tables round:
//   R = Y + (FIX(1.40200) * Cr' + 1/2) >> 16
//   G = Y + (-FIX(0.34414) * Cb' - FIX(0.71414) * Cr' + 1/2) >> 16
//   B = Y + (FIX(1.77200) * Cb' + 1/2) >> 16
// with Cb' = Cb - 128, Cr' = Cr - 128 and the results clamped to 0..255.
constexpr int kScaleBits = 16;
constexpr std::int32_t kHalf = std::int32_t{1} << (kScaleBits - 1);
constexpr std::int32_t fix(double x) { return static_cast<std::int32_t>(x * (1 << kScaleBits) + 0.5); }
constexpr std::int32_t kCrToR = fix(1.40200), kCbToB = fix(1.77200);
constexpr std::int32_t kCbToG = fix(0.34414), kCrToG = fix(0.71414);

// One row of output pixels: what to_bgr works out once for the row, for the portable code
// and the vector code alike, which give the same bytes.
struct row_job {
    const std::uint8_t* luma = nullptr;  // at the first output pixel
    // Chroma rows at input column `first`: the nearer and the farther (the same when the chroma
    // is not sampled down the rows).
    const std::uint8_t* near[2] = {};
    const std::uint8_t* far[2] = {};
    int sum_count = 0;   // input columns from `first` that are summed
    int sum_offset = 0;  // where column `first`'s sum goes in sums: the sums start at column k0 - 1
    int pairs = 0;       // input columns k0 .. k1 widened, rounded up to whole vectors
    int last = 0;        // k1 - k0 + 1
    bool left_edge = false, right_edge = false;  // k0 the picture's first column, k1 its last
    bool wide = false, tall = false;
    int phase = 0;  // the first output pixel's place in its pair
    int n = 0;      // output pixels, rounded up to whole vectors
    std::int16_t* sums[2] = {};
    std::int16_t* chroma[2] = {};
    std::uint8_t* bgr = nullptr;
};

void sum_columns_portable(const std::uint8_t* near, const std::uint8_t* far, bool tall, int count,
                          std::int16_t* sums) {
    for (int k = 0; k < count; ++k) sums[k] = static_cast<std::int16_t>(tall ? near[k] * 3 + far[k] : near[k]);
}

void widen_portable(const std::int16_t* sums, int pairs, bool tall, std::int16_t* out) {
    // Summed down, the weights are 16 in all; across only, 4.
    const int shift = tall ? 4 : 2, even_bias = tall ? 8 : 1, odd_bias = tall ? 7 : 2;
    for (int m = 0; m < pairs; ++m) {
        const int three = sums[m + 1] * 3;
        out[2 * m] = static_cast<std::int16_t>((three + sums[m] + even_bias) >> shift);
        out[2 * m + 1] = static_cast<std::int16_t>((three + sums[m + 2] + odd_bias) >> shift);
    }
}

std::uint8_t clamp_sample(std::int32_t v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

void to_pixels_portable(const std::uint8_t* luma, const std::int16_t* cb, const std::int16_t* cr, int n,
                        std::uint8_t* bgr) {
    for (int x = 0; x < n; ++x) {
        const std::int32_t b = cb[x] - 128, r = cr[x] - 128, y = luma[x];
        bgr[3 * x] = clamp_sample(y + ((kCbToB * b + kHalf) >> kScaleBits));
        bgr[3 * x + 1] = clamp_sample(y + ((-kCbToG * b - kCrToG * r + kHalf) >> kScaleBits));
        bgr[3 * x + 2] = clamp_sample(y + ((kCrToR * r + kHalf) >> kScaleBits));
    }
}

// The edge columns stand in for the columns beyond the picture's edges.
void fix_edges(const row_job& job, std::int16_t* sums) {
    if (job.left_edge) sums[0] = sums[1];
    if (job.right_edge) sums[job.last + 1] = sums[job.last];
}

void row_portable(const row_job& job) {
    for (int p = 0; p < 2; ++p) {
        if (!job.wide) {
            sum_columns_portable(job.near[p], job.far[p], false, job.n, job.chroma[p]);
            continue;
        }
        sum_columns_portable(job.near[p], job.far[p], job.tall, job.sum_count, job.sums[p] + job.sum_offset);
        fix_edges(job, job.sums[p]);
        widen_portable(job.sums[p], job.pairs, job.tall, job.chroma[p]);
    }
    to_pixels_portable(job.luma, job.chroma[0] + job.phase, job.chroma[1] + job.phase, job.n, job.bgr);
}

#ifdef NIMBRA_YCC_AVX2
#define AVX2 __attribute__((target("avx2")))

AVX2 inline void sum_columns_avx2(const std::uint8_t* near, const std::uint8_t* far, bool tall, int count,
                                  std::int16_t* sums) {
    for (int k = 0; k < count; k += 16) {
        __m256i s = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(near + k)));
        if (tall) {
            const __m256i f = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(far + k)));
            s = _mm256_add_epi16(_mm256_add_epi16(s, _mm256_add_epi16(s, s)), f);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + k), s);
    }
}

// Summed down, the weights are 16 in all; across only, 4.
struct widening {
    __m128i shift;
    __m256i even_bias, odd_bias;
    AVX2 explicit widening(bool tall)
        : shift(_mm_cvtsi32_si128(tall ? 4 : 2)), even_bias(_mm256_set1_epi16(tall ? 8 : 1)),
          odd_bias(_mm256_set1_epi16(tall ? 7 : 2)) {}
};

// The 16 pairs of outputs of sums[m + 1 .. m + 16]: the even outputs in even, the odd in odd.
AVX2 inline void widen16(const std::int16_t* sums, int m, const widening& w, __m256i& even, __m256i& odd) {
    const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + m));
    const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + m + 1));
    const __m256i after = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + m + 2));
    const __m256i three = _mm256_add_epi16(at, _mm256_add_epi16(at, at));
    even = _mm256_sra_epi16(_mm256_add_epi16(_mm256_add_epi16(three, before), w.even_bias), w.shift);
    odd = _mm256_sra_epi16(_mm256_add_epi16(_mm256_add_epi16(three, after), w.odd_bias), w.shift);
}

AVX2 inline void widen_avx2(const std::int16_t* sums, int pairs, const widening& w, std::int16_t* out) {
    for (int m = 0; m < pairs; m += 16) {
        __m256i even, odd;
        widen16(sums, m, w, even, odd);
        // Interleaved within each half, then the halves put in order.
        const __m256i low = _mm256_unpacklo_epi16(even, odd), high = _mm256_unpackhi_epi16(even, odd);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * m), _mm256_permute2x128_si256(low, high, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * m + 16), _mm256_permute2x128_si256(low, high, 0x31));
    }
}

// Byte j of 48 interleaved bytes of 16 pixels comes from pixel j / 3 of channel j % 3: the
// shuffle picking channel c's bytes for output bytes [16 part, 16 part + 16), others zero.
constexpr std::array<std::int8_t, 32> interleave_mask(int channel, int part) {
    std::array<std::int8_t, 32> mask{};
    for (int j = 0; j < 32; ++j) {
        const int byte = 16 * part + j % 16;
        mask[static_cast<std::size_t>(j)] = byte % 3 == channel ? static_cast<std::int8_t>(byte / 3) : std::int8_t{-128};
    }
    return mask;
}

template <std::size_t... I>
constexpr auto interleave_masks(std::index_sequence<I...>) {
    return std::array<std::array<std::int8_t, 32>, sizeof...(I)>{interleave_mask(static_cast<int>(I % 3),
                                                                                  static_cast<int>(I / 3))...};
}
alignas(32) constexpr auto kInterleave = interleave_masks(std::make_index_sequence<9>());

AVX2 inline __m256i load_mask(int channel, int part) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(kInterleave[static_cast<std::size_t>(3 * part + channel)].data()));
}

// (F x c + 1/2) >> 16 for a factor F that fits 16 bits, as (mulhi(2c, F) + 1) >> 1, which is
// the same integer.
AVX2 inline __m256i scaled(__m256i chroma2, __m256i factor) {
    return _mm256_srai_epi16(_mm256_add_epi16(_mm256_mulhi_epi16(chroma2, factor), _mm256_set1_epi16(1)), 1);
}

// The conversion of 16 pixels, as 16-bit values before clamping; the factors over 1 are split
// into a whole part and one that fits 16 bits.
AVX2 inline void convert16(__m256i y, __m256i cb, __m256i cr, __m256i& b, __m256i& g, __m256i& r) {
    const __m256i centre = _mm256_set1_epi16(128);
    cb = _mm256_sub_epi16(cb, centre);
    cr = _mm256_sub_epi16(cr, centre);
    // B: FIX(1.772) = 2 x 65536 - 14942;  R: FIX(1.402) = 65536 + 26345.
    b = _mm256_add_epi16(y, _mm256_add_epi16(_mm256_add_epi16(cb, cb),
                                             scaled(_mm256_add_epi16(cb, cb), _mm256_set1_epi16(kCbToB - 2 * 65536))));
    r = _mm256_add_epi16(y, _mm256_add_epi16(cr, scaled(_mm256_add_epi16(cr, cr), _mm256_set1_epi16(kCrToR - 65536))));
    // G: -FIX(0.71414) = (65536 - FIX(0.71414)) - 65536, the last part a whole -Cr' after the shift.
    const __m256i weights = _mm256_set1_epi32(static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(65536 - kCrToG) << 16) | static_cast<std::uint16_t>(-kCbToG)));
    const __m256i half = _mm256_set1_epi32(kHalf);
    const __m256i low = _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(cb, cr), weights), half), 16);
    const __m256i high = _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(cb, cr), weights), half), 16);
    g = _mm256_add_epi16(y, _mm256_sub_epi16(_mm256_packs_epi32(low, high), cr));
}

// 32 pixels from the 16-bit values of their luma and chroma, each vector holding pixels 0-7
// and 16-23 (first) or 8-15 and 24-31 (second), as unpacking bytes or pairs leaves them.
AVX2 inline void store32(const __m256i (&y)[2], const __m256i (&cb)[2], const __m256i (&cr)[2], std::uint8_t* bgr) {
    __m256i channel[2][3];
    for (int half = 0; half < 2; ++half) convert16(y[half], cb[half], cr[half], channel[half][0], channel[half][1], channel[half][2]);
    // Clamped to bytes and back in order: pixels 0-15 in the low half, 16-31 in the high half.
    __m256i bytes[3];
    for (int c = 0; c < 3; ++c) bytes[c] = _mm256_packus_epi16(channel[0][c], channel[1][c]);
    __m256i part[3];
    for (int p = 0; p < 3; ++p)
        part[p] = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(bytes[0], load_mask(0, p)),
                                                  _mm256_shuffle_epi8(bytes[1], load_mask(1, p))),
                                  _mm256_shuffle_epi8(bytes[2], load_mask(2, p)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(bgr), _mm256_permute2x128_si256(part[0], part[1], 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(bgr + 32), _mm256_permute2x128_si256(part[2], part[0], 0x30));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(bgr + 64), _mm256_permute2x128_si256(part[1], part[2], 0x31));
}

AVX2 inline void load_luma(const std::uint8_t* luma, __m256i (&y)[2]) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(luma));
    y[0] = _mm256_unpacklo_epi8(bytes, _mm256_setzero_si256());
    y[1] = _mm256_unpackhi_epi8(bytes, _mm256_setzero_si256());
}

// Full-size chroma in pixel order, as the same halves as the luma.
AVX2 inline void load_chroma(const std::int16_t* chroma, __m256i (&c)[2]) {
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(chroma));
    const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(chroma + 16));
    c[0] = _mm256_permute2x128_si256(first, second, 0x20);
    c[1] = _mm256_permute2x128_si256(first, second, 0x31);
}

AVX2 void row_avx2(const row_job& job) {
    const widening w(job.tall);
    if (!job.wide) {
        for (int p = 0; p < 2; ++p) sum_columns_avx2(job.near[p], job.far[p], false, job.n, job.chroma[p]);
    } else {
        for (int p = 0; p < 2; ++p) {
            sum_columns_avx2(job.near[p], job.far[p], job.tall, job.sum_count, job.sums[p] + job.sum_offset);
            fix_edges(job, job.sums[p]);
        }
        if (job.phase == 0) {
            // Widened and turned into pixels in one go: the pairs of outputs, unpacked, fall
            // into the halves the luma unpacks into.
            for (int m = 0; 2 * m < job.n; m += 16) {
                __m256i y[2], chroma[2][2];
                load_luma(job.luma + 2 * m, y);
                for (int p = 0; p < 2; ++p) {
                    __m256i even, odd;
                    widen16(job.sums[p], m, w, even, odd);
                    chroma[p][0] = _mm256_unpacklo_epi16(even, odd);
                    chroma[p][1] = _mm256_unpackhi_epi16(even, odd);
                }
                store32(y, chroma[0], chroma[1], job.bgr + 6 * m);
            }
            return;
        }
        for (int p = 0; p < 2; ++p) widen_avx2(job.sums[p], job.pairs, w, job.chroma[p]);
    }
    for (int x = 0; x < job.n; x += 32) {
        __m256i y[2], cb[2], cr[2];
        load_luma(job.luma + x, y);
        load_chroma(job.chroma[0] + job.phase + x, cb);
        load_chroma(job.chroma[1] + job.phase + x, cr);
        store32(y, cb, cr, job.bgr + 3 * x);
    }
}

bool has_avx2() { return __builtin_cpu_supports("avx2"); }
#else
bool has_avx2() { return false; }
#endif

std::atomic<bool> g_vectors{true};

using row_function = void (*)(const row_job&);

row_function row_code() {
#ifdef NIMBRA_YCC_AVX2
    static const bool avx2 = has_avx2();
    if (avx2 && g_vectors.load(std::memory_order_relaxed)) return row_avx2;
#endif
    return row_portable;
}

template <class T>
void grow(std::vector<T>& v, std::size_t size) {
    if (v.size() < size) v.resize(size);
}

}  // namespace

bool ycc_band::use_vectors(bool use) {
    g_vectors = use;
    return use && has_avx2();
}

void ycc_band::chroma_rows_for(int first, int end, int& chroma_begin, int& chroma_end) const {
    if (v_factor == 1) {
        chroma_begin = first;
        chroma_end = end;
        return;
    }
    // Even rows also weigh the chroma row above theirs, odd rows the one below.
    chroma_begin = std::max(0, first / 2 - 1);
    chroma_end = std::min(chroma_height, (end - 1) / 2 + 2);
}

bool ycc_band::to_bgr(int left, int count, image& out) const {
    if (left < 0 || count <= 0 || left + count > width || rows <= 0) return false;
    // libjpeg's smoothing, as done here, of chroma sampled 1:1, 2:1 across or 2:2.
    if (!(h_factor == 2 || v_factor == 1) || h_factor < 1 || h_factor > 2 || v_factor < 1 || v_factor > 2 ||
        chroma_width != (width + h_factor - 1) / h_factor)
        return false;
    // The band must hold what its rows are made from.
    int needed_first = 0, needed_end = 0;
    chroma_rows_for(top, top + rows, needed_first, needed_end);
    const auto holds = [](const std::vector<std::uint8_t>& plane, std::size_t stride, int width, int count) {
        return stride >= static_cast<std::size_t>(width) && plane.size() >= stride * static_cast<std::size_t>(count) + slack;
    };
    if (needed_first < chroma_first || needed_end > chroma_first + chroma_rows || !holds(luma, luma_stride, width, rows) ||
        !holds(cb, chroma_stride, chroma_width, chroma_rows) || !holds(cr, chroma_stride, chroma_width, chroma_rows))
        return false;
    if (!out.create(count, rows, 24, __image::jpg_type)) return false;
    const row_function convert = row_code();
    row_job job;
    job.wide = h_factor == 2;
    job.tall = v_factor == 2;
    job.n = whole_vectors(count);
    // Input columns k0 .. k1 make the outputs; their smoothing reaches one further each side,
    // the picture's first and last columns standing in beyond its edges.
    const int k0 = job.wide ? left / 2 : left, k1 = job.wide ? (left + count - 1) / 2 : left + count - 1;
    const int first = std::max(k0 - 1, 0), end = std::min(k1 + 2, chroma_width);
    job.sum_count = end - first;
    job.sum_offset = first - (k0 - 1);
    job.last = k1 - k0 + 1;
    job.pairs = whole_vectors(job.last);
    job.left_edge = k0 == 0;
    job.right_edge = k1 + 1 == chroma_width;
    job.phase = job.wide ? left & 1 : 0;
    // Scratch for the sums (from column k0 - 1, whole vectors past the last), the chroma at
    // full size and a row of pixels where whole vectors of them do not fit the image's row.
    const std::size_t sum_size = static_cast<std::size_t>(std::max(job.pairs, whole_vectors(job.sum_count)) + kLanes);
    const std::size_t chroma_size = static_cast<std::size_t>(2 * job.pairs + job.n);
    // Each thread keeps its scratch from frame to frame; what a call reads of it, it wrote.
    thread_local std::vector<std::int16_t> scratch;
    thread_local std::vector<std::uint8_t> spare, local;
    grow(scratch, 2 * (sum_size + chroma_size));
    for (int p = 0; p < 2; ++p) {
        job.sums[p] = scratch.data() + p * sum_size;
        job.chroma[p] = scratch.data() + 2 * sum_size + p * chroma_size;
    }
    grow(spare, static_cast<std::size_t>(3 * job.n));
    // The part of the band the pixels come from, copied out first: the band was read on
    // another core, and a plain copy brings it over faster than the conversion's own reads.
    // Whole vectors are copied, past the wanted columns into the rows' slack.
    const int from = job.wide ? first : left;
    const std::size_t luma_span = static_cast<std::size_t>(job.n);
    const std::size_t chroma_span = static_cast<std::size_t>(job.wide ? (job.sum_count + 15) / 16 * 16 : job.n);
    grow(local, luma_span * static_cast<std::size_t>(rows) + 2 * chroma_span * static_cast<std::size_t>(chroma_rows));
    const auto copy_out = [](const std::vector<std::uint8_t>& plane, std::size_t stride, int count, std::size_t at,
                             std::size_t span, std::uint8_t* to) {
        for (int r = 0; r < count; ++r, to += span) std::memcpy(to, plane.data() + static_cast<std::size_t>(r) * stride + at, span);
    };
    std::uint8_t* const local_chroma[2] = {local.data() + luma_span * static_cast<std::size_t>(rows),
                                           local.data() + luma_span * static_cast<std::size_t>(rows) + chroma_span * static_cast<std::size_t>(chroma_rows)};
    copy_out(luma, luma_stride, rows, static_cast<std::size_t>(left), luma_span, local.data());
    copy_out(cb, chroma_stride, chroma_rows, static_cast<std::size_t>(from), chroma_span, local_chroma[0]);
    copy_out(cr, chroma_stride, chroma_rows, static_cast<std::size_t>(from), chroma_span, local_chroma[1]);
    const std::size_t line_bytes = out.get_exinfo().line_bytes;
    const std::size_t written = static_cast<std::size_t>(3 * job.n), pixel_bytes = static_cast<std::size_t>(3 * count);
    // Memory row after memory row (the band's bottom row first): what a row writes past its
    // pixels lands in the next memory row, written after it, or its own padding, zeroed.
    // Rows whose whole vectors would reach past the image go through the spare row.
    for (int i = rows - 1; i >= 0; --i) {
        const int memory_row = rows - 1 - i;
        const int y = top + i;
        const int c = job.tall ? y / 2 : y;
        // Even rows weigh the chroma row above theirs, odd rows the one below.
        const int other = !job.tall ? c : (y & 1) == 0 ? std::max(c - 1, 0) : std::min(c + 1, chroma_height - 1);
        for (int p = 0; p < 2; ++p) {
            job.near[p] = local_chroma[p] + static_cast<std::size_t>(c - chroma_first) * chroma_span;
            job.far[p] = local_chroma[p] + static_cast<std::size_t>(other - chroma_first) * chroma_span;
        }
        job.luma = local.data() + static_cast<std::size_t>(i) * luma_span;
        std::uint8_t* target = out.row(memory_row);
        const bool fits = line_bytes * static_cast<std::size_t>(memory_row) + written <= line_bytes * static_cast<std::size_t>(rows);
        job.bgr = fits ? target : spare.data();
        convert(job);
        if (!fits)
            std::copy_n(spare.data(), pixel_bytes, target);
        else if (pixel_bytes < line_bytes)
            std::fill(target + pixel_bytes, target + line_bytes, std::uint8_t{0});  // the row's padding
    }
    return true;
}

}  // namespace tarvel_tech::nimbra
