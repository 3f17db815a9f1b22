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

}  // namespace reference
