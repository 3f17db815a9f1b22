// Cutting large line and polygon layers, and one ring tangled with itself, into the 10 x 10
// cells of a saved map: shapes per second, the pieces made, and the memory the process holds before and after and at its peak.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <random>

#include "vector/layer_line.h"
#include "vector/layer_polygon.h"

namespace {

constexpr std::size_t line_count = 200000;
constexpr std::size_t polygon_count = 100000;
constexpr model::CSFRect region{-10.0, 45.0, 0.0, 51.0};

double resident_mb() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double peak_mb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

model::CSFPt random_point(std::mt19937& random) {
    std::uniform_real_distribution<double> x(region.minX, region.maxX), y(region.minY, region.maxY);
    return {x(random), y(random)};
}

// Roads: random walks of 5 to 60 points with steps of up to 0.1 degrees.
std::vector<model::CSFLine> make_lines() {
    std::mt19937 random(1);
    std::uniform_real_distribution<double> step(-0.1, 0.1);
    std::vector<model::CSFLine> lines;
    lines.reserve(line_count);
    std::vector<model::CSFPt> points;
    for (std::size_t i = 0; i < line_count; ++i) {
        points.clear();
        model::CSFPt p = random_point(random);
        const int n = 5 + static_cast<int>(random() % 56);
        for (int k = 0; k < n; ++k) {
            points.push_back(p);
            p.X = std::clamp(p.X + step(random), region.minX, region.maxX);
            p.Y = std::clamp(p.Y + step(random), region.minY, region.maxY);
        }
        const std::int32_t start = 0;
        lines.emplace_back(static_cast<std::int32_t>(i + 1), 1, static_cast<std::uint32_t>(points.size()), &start,
                           points.data());
    }
    return lines;
}

// Parcels and lakes: star-shaped rings of 8 to 40 points, 0.005 to 0.3 degrees across.
std::unique_ptr<model::CSFLayerPolygon> make_polygons() {
    std::mt19937 random(2);
    std::uniform_real_distribution<double> size(0.005, 0.3), jitter(0.6, 1.0);
    auto layer = std::make_unique<model::CSFLayerPolygon>();
    layer->m_pShapes.reserve(polygon_count);
    layer->m_pPolygons.reserve(polygon_count);
    std::vector<model::CSFPt> ring;
    for (std::size_t i = 0; i < polygon_count; ++i) {
        ring.clear();
        const model::CSFPt c = random_point(random);
        const double r = size(random) / 2;
        const int n = 8 + static_cast<int>(random() % 33);
        for (int k = 0; k < n; ++k) {
            const double angle = -2 * std::numbers::pi * k / n;
            ring.push_back({std::clamp(c.X + r * jitter(random) * std::cos(angle), region.minX, region.maxX),
                            std::clamp(c.Y + r * jitter(random) * std::sin(angle), region.minY, region.maxY)});
        }
        ring.push_back(ring.front());
        const std::int32_t start = 0;
        const auto record = static_cast<std::int32_t>(i + 1);
        const auto count = static_cast<std::uint32_t>(ring.size());
        layer->m_pShapes.emplace_back(record, 1, count, &start, ring.data());
        layer->m_pPolygons.emplace_back(record, 1, count, &start, ring.data());
    }
    layer->m_nShapes = static_cast<std::uint32_t>(polygon_count);
    layer->m_rcBounds = region;
    return layer;
}

void report(benchmark::State& state, std::size_t shapes, double before, double pieces) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * shapes));
    state.counters["pieces"] = pieces;
    state.counters["rss_before_MB"] = before;
    state.counters["rss_after_MB"] = resident_mb();
    state.counters["peak_rss_MB"] = peak_mb();
}

void BM_RegridLines(benchmark::State& state) {
    auto layer = std::make_unique<model::CSFLayerLine>();
    layer->m_pShapes = make_lines();
    layer->m_nShapes = static_cast<std::uint32_t>(line_count);
    layer->m_rcBounds = region;
    const double before = resident_mb();
    for (auto _ : state) {
        if (layer->Regrid(10, 10) != model::regrid_done) state.SkipWithError("a line lies outside the grid");
    }
    report(state, line_count, before, layer->m_nPieceParts);
}

void BM_RegridPolygons(benchmark::State& state) {
    auto layer = make_polygons();
    const double before = resident_mb();
    for (auto _ : state) {
        if (layer->Regrid(10, 10) != model::regrid_done) state.SkipWithError("the grid cannot be made");
    }
    report(state, polygon_count, before, layer->m_nPolygonPieces);
    state.counters["outline_pieces"] = layer->m_nPieceParts;
}

// One ring of random vertices all over the region, crossing itself some hundred thousand times
// (2001 vertices) or more: every crossing is resolved once, in the cell that holds it.
void BM_RegridTangledRing(benchmark::State& state) {
    std::mt19937 random(3);
    std::vector<model::CSFPt> ring;
    for (std::int64_t k = 0; k < state.range(0); ++k) ring.push_back(random_point(random));
    ring.push_back(ring.front());
    auto layer = std::make_unique<model::CSFLayerPolygon>();
    const std::int32_t start = 0;
    const auto count = static_cast<std::uint32_t>(ring.size());
    layer->m_pShapes.emplace_back(1, 1, count, &start, ring.data());
    layer->m_pPolygons.emplace_back(1, 1, count, &start, ring.data());
    layer->m_nShapes = 1;
    layer->m_rcBounds = region;
    const double before = resident_mb();
    for (auto _ : state) {
        if (layer->Regrid(10, 10) != model::regrid_done) state.SkipWithError("the grid cannot be made");
    }
    report(state, 1, before, layer->m_nPolygonPieces);
    state.counters["piece_points"] = layer->m_nPolygonPoints;
}

}  // namespace

BENCHMARK(BM_RegridTangledRing)->Arg(2001)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RegridLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RegridPolygons)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
