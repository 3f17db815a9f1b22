// A full redraw of a map window through the off-screen painter, into a 1024 x 768 paint
// shown on a window-sized target: many short lines in the one-pixel pens the line layers
// use, and filled polygons as polygon layers draw them. Beside them the same lines drawn
// straight on the target (the painter's own overhead is the difference), lines in a wider
// pen, and the fixed cost of one paint event with nothing drawn.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "nimbra/paint/w32_paint.h"
#include "platform/image_dc.h"

namespace {

using platform::CDC;
using platform::CPoint;
using platform::RGB;
using tarvel_tech::nimbra::paint;
using tarvel_tech::nimbra::w32_paint;

constexpr int width = 1024;
constexpr int height = 768;
constexpr int points_per_line = 8;
constexpr int points_per_ring = 12;

// Shapes of `count` points each, wandering across the window, fixed by the seed.
std::vector<CPoint> make_lines(int shapes) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(0, width - 1), y(0, height - 1), step(-20, 20);
    std::vector<CPoint> points;
    points.reserve(static_cast<std::size_t>(shapes) * points_per_line);
    for (int i = 0; i < shapes; ++i) {
        CPoint p{x(random), y(random)};
        for (int j = 0; j < points_per_line; ++j) {
            points.push_back(p);
            p = {p.x + step(random), p.y + step(random)};
        }
    }
    return points;
}

// Rings around random centres, 10 to 40 pixels across.
std::vector<CPoint> make_rings(int rings) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> x(0, width - 1), y(0, height - 1), radius(5, 20);
    std::vector<CPoint> points;
    for (int i = 0; i < rings; ++i) {
        const int cx = x(random), cy = y(random), r = radius(random);
        for (int j = 0; j < points_per_ring; ++j) {
            const double a = 2 * 3.14159265358979 * j / points_per_ring;
            points.push_back({cx + static_cast<int>(r * std::cos(a)), cy + static_cast<int>(r * std::sin(a))});
        }
    }
    return points;
}

// Three layers of lines, each in its own pen.
void draw_lines(CDC& dc, const std::vector<CPoint>& points, int pen_width) {
    platform::CPen pens[] = {{platform::PS_SOLID, pen_width, RGB(128, 0, 0)},
                             {platform::PS_SOLID, pen_width, RGB(0, 90, 200)},
                             {platform::PS_SOLID, pen_width, RGB(20, 140, 20)}};
    platform::CPen* old = dc.SelectObject(&pens[0]);
    const std::size_t lines = points.size() / points_per_line;
    for (std::size_t i = 0; i < lines; ++i) {
        dc.SelectObject(&pens[i * 3 / lines]);
        const CPoint* line = &points[i * points_per_line];
        dc.MoveTo(line[0].x, line[0].y);
        for (int j = 1; j < points_per_line; ++j) dc.LineTo(line[j].x, line[j].y);
    }
    dc.SelectObject(old);
}

void draw_rings(CDC& dc, const std::vector<CPoint>& points) {
    platform::CBrush brush(RGB(0xD2, 0xB4, 0x8C));
    platform::CBrush* old = dc.SelectObject(&brush);
    for (std::size_t i = 0; i + points_per_ring <= points.size(); i += points_per_ring) {
        dc.BeginPath();
        dc.Polygon(&points[i], points_per_ring);
        dc.EndPath();
        dc.FillPath();
    }
    dc.SelectObject(old);
}

void count_segments(benchmark::State& state, std::size_t segments) {
    state.counters["segments/s"] =
        benchmark::Counter(static_cast<double>(segments) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_RedrawThroughPaint(benchmark::State& state) {
    const auto points = make_lines(static_cast<int>(state.range(0)));
    platform::CImageDC window(width, height);
    for (auto _ : state) {
        w32_paint p(&window, nullptr, paint::fill_background);
        draw_lines(p, points, 1);
    }
    count_segments(state, points.size() / points_per_line * (points_per_line - 1));
}
BENCHMARK(BM_RedrawThroughPaint)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RedrawStraightOnTarget(benchmark::State& state) {
    const auto points = make_lines(static_cast<int>(state.range(0)));
    platform::CImageDC window(width, height);
    for (auto _ : state) {
        window.FillSolidRect(platform::CRect{0, 0, width, height}, window.GetBkColor());
        draw_lines(window, points, 1);
    }
    count_segments(state, points.size() / points_per_line * (points_per_line - 1));
}
BENCHMARK(BM_RedrawStraightOnTarget)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Pens wider than a pixel have round ends, which cost far more per segment.
void BM_RedrawWidePenThroughPaint(benchmark::State& state) {
    const auto points = make_lines(static_cast<int>(state.range(0)));
    platform::CImageDC window(width, height);
    for (auto _ : state) {
        w32_paint p(&window, nullptr, paint::fill_background);
        draw_lines(p, points, 2);
    }
    count_segments(state, points.size() / points_per_line * (points_per_line - 1));
}
BENCHMARK(BM_RedrawWidePenThroughPaint)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FillPolygonsThroughPaint(benchmark::State& state) {
    const auto points = make_rings(static_cast<int>(state.range(0)));
    platform::CImageDC window(width, height);
    for (auto _ : state) {
        w32_paint p(&window, nullptr, paint::fill_background);
        draw_rings(p, points);
    }
    state.counters["rings/s"] = benchmark::Counter(static_cast<double>(state.range(0)) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FillPolygonsThroughPaint)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Making the surface, filling it and showing it: the cost of a paint event by itself.
void BM_EmptyPaintEvent(benchmark::State& state) {
    platform::CImageDC window(width, height);
    for (auto _ : state) {
        w32_paint p(&window, nullptr, paint::fill_background);
        benchmark::DoNotOptimize(p.HasDevice());
    }
}
BENCHMARK(BM_EmptyPaintEvent)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
