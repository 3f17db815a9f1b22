#include "georef/tr_rss.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "georef/isml.h"
#include "georef/matrix.h"
#include "platform/endian.h"
#include "platform/file.h"

namespace georef {
namespace {

// Steps of one fit, and the steps still made after the first one that does not improve.
constexpr int kStepBudget = 100;
constexpr int kStepsAfterStall = 3;

// Two ends of the steps are the same optimum when their residuals differ by less than this
// share, or by less than rounding of targets of the given magnitude makes.
constexpr double kSameResidual = 1e-9;
constexpr double kRoundingFloor = 1e-12;

double TargetScale(const CPt* dst, int n) {
    double scale = 0.0;
    for (int i = 0; i < n; ++i) scale = std::fmax(scale, std::fmax(std::fabs(dst[i].x), std::fabs(dst[i].y)));
    return scale;
}

// Holds the kernel's warnings back while it lives; terminal errors still show. A level the
// kernel itself lowered meanwhile stays lowered.
class quiet_kernel_warnings {
public:
    quiet_kernel_warnings() {
        isml::UERSET(kQuiet, m_nFormer);
        if (m_nFormer < kQuiet) isml::UERSET(m_nFormer, m_nSet);
        m_nSet = std::min(kQuiet, m_nFormer);
    }
    ~quiet_kernel_warnings() {
        int now = 0;
        isml::UERSET(m_nFormer, now);
        if (now != m_nSet) isml::UERSET(now, now);
    }
    quiet_kernel_warnings(const quiet_kernel_warnings&) = delete;
    quiet_kernel_warnings& operator=(const quiet_kernel_warnings&) = delete;

private:
    static constexpr int kQuiet = 2;  // terminal errors and warnings with a fix
    int m_nFormer = 4;
    int m_nSet = kQuiet;
};

}  // namespace

CTrRSS::CTrRSS() { UpdateCoefficients(); }

CPt CTrRSS::Forward(const CPt& p) const {
    return CPt(m_dF[0] * p.x + m_dF[1] * p.y + m_dF[2], m_dF[3] * p.x + m_dF[4] * p.y + m_dF[5], 0.0);
}

CPt CTrRSS::Inverse(const CPt& p) const {
    return CPt(m_dG[0] * p.x + m_dG[1] * p.y + m_dG[2], m_dG[3] * p.x + m_dG[4] * p.y + m_dG[5], 0.0);
}

double CTrRSS::Residual(const CPt* src, const CPt* dst, int n) const {
    if (n < 1) return 0.0;
    const double c = std::cos(m_dTheta), s = std::sin(m_dTheta);
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double x = src[i].x, y = src[i].y;
        const CPt model((c * x + s * y) * m_dSx + m_dTx, (-s * x + c * y) * m_dSy + m_dTy, 0.0);
        const double d = (model - dst[i]).Length();
        sum += d * d;
    }
    return std::sqrt(sum / n);
}

void CTrRSS::Steps(const CPt* src, const CPt* dst, int n) {
    int budget = kStepBudget;
    double best = CTrRSS::Residual(src, dst, n);
    bool firstStall = true;
    while (budget != 0) {
        // Jacobian by sx, sy, theta, tx, ty, with the residual as a sixth column.
        const double c = std::cos(m_dTheta), s = std::sin(m_dTheta);
        CMatrix J(6, 2 * n);
        for (int i = 0; i < n; ++i) {
            const double x = src[i].x, y = src[i].y;
            const double u = c * x + s * y, v = -s * x + c * y;
            const int rx = 2 * i, ry = 2 * i + 1;
            J.SetAt(0, rx, u);
            J.SetAt(1, rx, 0.0);
            J.SetAt(2, rx, m_dSx * v);
            J.SetAt(3, rx, 1.0);
            J.SetAt(4, rx, 0.0);
            J.SetAt(5, rx, u * m_dSx + m_dTx - dst[i].x);
            J.SetAt(0, ry, 0.0);
            J.SetAt(1, ry, v);
            J.SetAt(2, ry, -m_dSy * u);
            J.SetAt(3, ry, 0.0);
            J.SetAt(4, ry, 1.0);
            J.SetAt(5, ry, v * m_dSy + m_dTy - dst[i].y);
        }
        CMatrix r = J.GetColumn(5);
        J.RemoveColumn(5);
        r.Scale(-1.0);
        const CMatrix d = J.PseudoInverse() * r;

        m_dSx += d.GetAt(0, 0);
        m_dSy += d.GetAt(0, 1);
        m_dTheta += d.GetAt(0, 2);
        m_dTx += d.GetAt(0, 3);
        m_dTy += d.GetAt(0, 4);

        --budget;
        const double e = CTrRSS::Residual(src, dst, n);
        if (best <= e && firstStall) {
            budget = kStepsAfterStall;
            firstStall = false;
        }
        if (e < best) best = e;
    }
}

bool CTrRSS::Fit(const CPt* src, const CPt* dst, int n) {
    Steps(src, dst, n);
    // The steps find the optimum only from nearby: from the identity, a picture turned by
    // more than about 45 degrees ends far from it. The same steps are also made from the
    // similarity that fits the pairs best, and the better end is kept; when both end at the
    // same optimum, the first is kept.
    CTrRSS other;
    if (n > 0 && other.StartFromSimilarity(src, dst, n)) {
        {
            // The kernel has already said what it had to say about these pairs.
            quiet_kernel_warnings quiet;
            other.Steps(src, dst, n);
        }
        const double mine = CTrRSS::Residual(src, dst, n);
        const double theirs = other.Residual(src, dst, n);
        if (theirs < mine - std::fmax(kSameResidual * mine, kRoundingFloor * TargetScale(dst, n))) {
            m_dTheta = other.m_dTheta;
            m_dSx = other.m_dSx;
            m_dSy = other.m_dSy;
            m_dTx = other.m_dTx;
            m_dTy = other.m_dTy;
        }
    }
    UpdateCoefficients();
    m_bValid = true;
    return true;
}

bool CTrRSS::StartFromSimilarity(const CPt* src, const CPt* dst, int n) {
    double mx = 0, my = 0, mX = 0, mY = 0;
    for (int i = 0; i < n; ++i) {
        mx += src[i].x, my += src[i].y;
        mX += dst[i].x, mY += dst[i].y;
    }
    mx /= n, my /= n, mX /= n, mY /= n;
    // Sums over the pairs taken about their centres.
    double ss = 0, xX = 0, yY = 0, yX = 0, xY = 0;
    for (int i = 0; i < n; ++i) {
        const double x = src[i].x - mx, y = src[i].y - my;
        const double X = dst[i].x - mX, Y = dst[i].y - mY;
        ss += x * x + y * y;
        xX += x * X, yY += y * Y, yX += y * X, xY += x * Y;
    }
    if (!(ss > 0.0) || !std::isfinite(ss)) return false;

    // X = a x + b y + tx with either Y = -b x + a y + ty (sy = sx) or Y = b x - a y + ty
    // (sy = -sx, a picture whose rows run against the latitude); a = k cos(theta) and
    // b = k sin(theta) in both.
    bool found = false;
    double best = 0.0;
    for (const double flip : {1.0, -1.0}) {
        const double a = (xX + flip * yY) / ss, b = (yX - flip * xY) / ss;
        const double k = std::hypot(a, b);
        if (!(k > 0.0) || !std::isfinite(k)) continue;
        CTrRSS candidate;
        candidate.m_dTheta = std::atan2(b, a);
        candidate.m_dSx = k;
        candidate.m_dSy = flip * k;
        candidate.m_dTx = mX - (a * mx + b * my);
        candidate.m_dTy = mY - flip * (-b * mx + a * my);
        const double e = candidate.Residual(src, dst, n);
        if (!std::isfinite(e) || (found && e >= best)) continue;
        found = true;
        best = e;
        m_dTheta = candidate.m_dTheta;
        m_dSx = candidate.m_dSx;
        m_dSy = candidate.m_dSy;
        m_dTx = candidate.m_dTx;
        m_dTy = candidate.m_dTy;
    }
    return found;
}

void CTrRSS::SetParameters(double theta, double sx, double sy, double tx, double ty) {
    m_dTheta = theta;
    m_dSx = sx;
    m_dSy = sy;
    m_dTx = tx;
    m_dTy = ty;
    UpdateCoefficients();
}

void CTrRSS::UpdateCoefficients() {
    const double c = std::cos(m_dTheta), s = std::sin(m_dTheta);
    auto& f = m_dF;
    f = {c * m_dSx, s * m_dSx, m_dTx, -m_dSy * s, c * m_dSy, m_dTy};
    // The exact inverse of the direct coefficients; det = sx * sy whatever the angle.
    const double det = f[0] * f[4] - f[1] * f[3];
    m_dG = {f[4] / det,
            -f[1] / det,
            (f[1] * f[5] - f[2] * f[4]) / det,
            -f[3] / det,
            f[0] / det,
            (f[2] * f[3] - f[0] * f[5]) / det};
}

// The order in which map documents have always stored the fields.
template <class Self, class Field>
void CTrRSS::ForEachRecordField(Self& t, Field&& field) {
    field(t.m_dTx);
    for (int i = 0; i < 3; ++i) field(t.m_dF[i]);
    field(t.m_dTheta);
    field(t.m_dTy);
    for (int i = 3; i < 6; ++i) field(t.m_dF[i]);
    field(t.m_dSx);
    for (int i = 0; i < 3; ++i) field(t.m_dG[i]);
    field(t.m_dSy);
    for (int i = 3; i < 6; ++i) field(t.m_dG[i]);
    field(t.m_dR[3]);
    field(t.m_dR[4]);
    field(t.m_dR[0]);
    field(t.m_dR[1]);
    field(t.m_dR[2]);
}

void CTrRSS::Write(platform::CFile& file) const {
    std::uint8_t record[kRecordSize];
    std::uint8_t* at = record;
    ForEachRecordField(*this, [&](const double& v) {
        platform::endian::put_le_double(at, v);
        at += 8;
    });
    file.Write(record, sizeof record);
}

void CTrRSS::Read(platform::CFile& file) {
    std::uint8_t record[kRecordSize];
    if (file.Read(record, sizeof record) != sizeof record)
        throw platform::CFileException(platform::CFileException::endOfFile, file.GetFilePath());
    const std::uint8_t* at = record;
    ForEachRecordField(*this, [&](double& v) {
        v = platform::endian::get_le_double(at);
        at += 8;
    });
    m_bValid = true;
}

}  // namespace georef
