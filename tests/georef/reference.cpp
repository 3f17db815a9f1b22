#include "tests/georef/reference.h"

#include <cmath>
#include <random>
#include <stdexcept>
#include <utility>

namespace reference {

dense from(const georef::CMatrix& m) {
    const auto size = m.GetSize();
    dense a(static_cast<std::size_t>(size.cy), std::vector<double>(static_cast<std::size_t>(size.cx)));
    for (int r = 0; r < size.cy; ++r)
        for (int c = 0; c < size.cx; ++c) a[r][c] = m.GetAt(c, r);
    return a;
}

georef::CMatrix to(const dense& a) {
    const int rows = static_cast<int>(a.size()), cols = rows ? static_cast<int>(a[0].size()) : 0;
    georef::CMatrix m(cols, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) m.SetAt(c, r, a[r][c]);
    return m;
}

dense multiply(const dense& a, const dense& b) {
    const std::size_t n = a.size(), k = b.size(), m = k ? b[0].size() : 0;
    dense p(n, std::vector<double>(m, 0.0));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < m; ++j)
            for (std::size_t l = 0; l < k; ++l) p[i][j] += a[i][l] * b[l][j];
    return p;
}

dense transpose(const dense& a) {
    const std::size_t rows = a.size(), cols = rows ? a[0].size() : 0;
    dense t(cols, std::vector<double>(rows));
    for (std::size_t i = 0; i < rows; ++i)
        for (std::size_t j = 0; j < cols; ++j) t[j][i] = a[i][j];
    return t;
}

dense inverse(dense a) {
    const std::size_t n = a.size();
    dense inv = identity(static_cast<int>(n));
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < n; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (a[pivot][col] == 0.0) throw std::runtime_error("singular");
        std::swap(a[pivot], a[col]);
        std::swap(inv[pivot], inv[col]);
        const double d = a[col][col];
        for (std::size_t j = 0; j < n; ++j) {
            a[col][j] /= d;
            inv[col][j] /= d;
        }
        for (std::size_t r = 0; r < n; ++r) {
            if (r == col) continue;
            const double f = a[r][col];
            for (std::size_t j = 0; j < n; ++j) {
                a[r][j] -= f * a[col][j];
                inv[r][j] -= f * inv[col][j];
            }
        }
    }
    return inv;
}

dense identity(int n) {
    dense a(static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(n), 0.0));
    for (int i = 0; i < n; ++i) a[i][i] = 1.0;
    return a;
}

double max_difference(const dense& a, const dense& b) {
    if (a.size() != b.size()) throw std::runtime_error("shapes differ");
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].size() != b[i].size()) throw std::runtime_error("shapes differ");
        for (std::size_t j = 0; j < a[i].size(); ++j) worst = std::fmax(worst, std::fabs(a[i][j] - b[i][j]));
    }
    return worst;
}

double max_abs(const dense& a) {
    double worst = 0.0;
    for (const auto& row : a)
        for (double v : row) worst = std::fmax(worst, std::fabs(v));
    return worst;
}

dense random(int rows, int cols, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    dense a(static_cast<std::size_t>(rows), std::vector<double>(static_cast<std::size_t>(cols)));
    for (auto& row : a)
        for (double& v : row) v = dist(gen);
    return a;
}

georef::CPt Apply(const rss& p, const georef::CPt& q) {
    const double c = std::cos(p.theta), s = std::sin(p.theta);
    return georef::CPt((c * q.x + s * q.y) * p.sx + p.tx, (-s * q.x + c * q.y) * p.sy + p.ty, 0.0);
}

double Rms(const rss& p, const std::vector<georef::CPt>& src, const std::vector<georef::CPt>& dst) {
    double sum = 0.0;
    for (std::size_t i = 0; i < src.size(); ++i) {
        const georef::CPt m = Apply(p, src[i]);
        sum += (m.x - dst[i].x) * (m.x - dst[i].x) + (m.y - dst[i].y) * (m.y - dst[i].y);
    }
    return std::sqrt(sum / static_cast<double>(src.size()));
}

rss rss_fit(const std::vector<georef::CPt>& src, const std::vector<georef::CPt>& dst, double lo, double hi) {
    const double n = static_cast<double>(src.size());
    double mx = 0, my = 0, mX = 0, mY = 0;
    for (std::size_t i = 0; i < src.size(); ++i) mx += src[i].x, my += src[i].y, mX += dst[i].x, mY += dst[i].y;
    mx /= n, my /= n, mX /= n, mY /= n;
    // Straight lines through the centres: X - mX = sx (u - mu), Y - mY = sy (v - mv).
    auto best_for = [&](double theta) {
        const double c = std::cos(theta), s = std::sin(theta);
        double uu = 0, vv = 0, uX = 0, vY = 0;
        for (std::size_t i = 0; i < src.size(); ++i) {
            const double x = src[i].x - mx, y = src[i].y - my;
            const double u = c * x + s * y, v = -s * x + c * y;
            uu += u * u, vv += v * v, uX += u * (dst[i].x - mX), vY += v * (dst[i].y - mY);
        }
        const double sx = uX / uu, sy = vY / vv;
        return rss{theta, sx, sy, mX - sx * (c * mx + s * my), mY - sy * (-s * mx + c * my)};
    };
    auto cost = [&](double theta) { return Rms(best_for(theta), src, dst); };
    constexpr int kSteps = 4000;
    const double step = (hi - lo) / kSteps;
    double best = lo;
    for (int i = 0; i <= kSteps; ++i)
        if (cost(lo + step * i) < cost(best)) best = lo + step * i;
    double a = best - step, b = best + step;
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    for (int i = 0; i < 200; ++i) {
        const double x1 = b - g * (b - a), x2 = a + g * (b - a);
        if (cost(x1) < cost(x2))
            b = x2;
        else
            a = x1;
    }
    return best_for((a + b) / 2.0);
}

}  // namespace reference
