#include "georef/transform.h"

#include <algorithm>
#include <cmath>

#include "georef/pixel.h"

namespace georef {
namespace {

// A box of no width or height is shown as one of a hundredth of a degree on that side.
void widen_point_box(double& minLon, double& minLat, double& maxLon, double& maxLat) {
    if (minLon == maxLon) {
        minLon -= 0.01;
        maxLon += 0.01;
    }
    if (minLat == maxLat) {
        minLat -= 0.01;
        maxLat += 0.01;
    }
}

// Metres per degree of the box FitBounds is given.
constexpr double kMetresPerDegree = 111000.0;

}  // namespace

CTransform::CTransform() : m_dR(m_dSemiMajor) { Update(); }

void CTransform::SetScreen(int width, int height, double pixelSize) {
    m_nWidth = width;
    m_nHeight = height;
    m_dPixelSize = pixelSize;
}

void CTransform::SetCentre(double lon, double lat, double rotation) {
    m_dRotation = rotation;
    m_ptCentre = CPt2(lon * m_dPi / 180.0, lat * m_dPi / 180.0);
    m_dR = m_dSemiMajor - 2.0 * (m_dSemiMajor - m_dSemiMinor) * m_ptCentre.y / m_dPi;
}

void CTransform::SetScale(double scale) { m_dScale = scale; }

void CTransform::Update() {
    const double k = m_dScale / m_dPixelSize;
    const double w2 = m_nWidth / 2, h2 = m_nHeight / 2;
    const double cr = std::cos(m_dRotation), sr = std::sin(m_dRotation);
    const double cphi = std::cos(m_ptCentre.y);
    const double lambda0 = m_ptCentre.x, phi0 = m_ptCentre.y, Rk = m_dR * k;

    m_dA = cr * cphi * Rk;
    m_dB = sr * Rk;
    m_dC = (-cr * cphi * lambda0 - sr * phi0) * Rk + w2;
    m_dD = sr * cphi * Rk;
    m_dE = -cr * Rk;
    m_dF = (cr * phi0 - sr * cphi * lambda0) * Rk + h2;

    double det = m_dA * m_dE - m_dB * m_dD;
    if (det == 0.0) det = 1e-12;
    m_dI[0] = m_dE / det;
    m_dI[1] = -m_dB / det;
    m_dI[2] = (m_dB * m_dF - m_dE * m_dC) / det;
    m_dI[3] = -m_dD / det;
    m_dI[4] = m_dA / det;
    m_dI[5] = (m_dD * m_dC - m_dA * m_dF) / det;
}

platform::CPoint CTransform::GeoToScreen(double lon, double lat) {
    const double lambda = lon * m_dPi / 180.0, phi = lat * m_dPi / 180.0;
    m_ptScreen = {ToPixel(m_dA * lambda + m_dB * phi + m_dC), ToPixel(m_dD * lambda + m_dE * phi + m_dF)};
    return m_ptScreen;
}

CPt2 CTransform::ScreenToGeo(const platform::CPoint& p) {
    const double x = p.x, y = p.y;
    m_ptGeo = CPt2(180.0 / m_dPi * (m_dI[0] * x + m_dI[1] * y + m_dI[2]),
                   180.0 / m_dPi * (m_dI[3] * x + m_dI[4] * y + m_dI[5]));
    return m_ptGeo;
}

CPt2 CTransform::GetCentre() const {
    return CPt2(180.0 / m_dPi * m_ptCentre.x, 180.0 / m_dPi * m_ptCentre.y);
}

void CTransform::fit_centred(double minLon, double minLat, double maxLon, double maxLat) {
    widen_point_box(minLon, minLat, maxLon, maxLat);
    SetCentre((minLon + maxLon) / 2, (minLat + maxLat) / 2, 0.0);
    // With no rotation a degree of longitude is cos(latitude of the centre) R k wide on the
    // screen and a degree of latitude R k high (k = scale / pixel size): the box maps onto a
    // rectangle. It spans from the first pixel to the last, one less than the screen's size.
    const double lon = std::fabs(maxLon - minLon) * m_dPi / 180.0, lat = std::fabs(maxLat - minLat) * m_dPi / 180.0;
    const double across = std::max(m_nWidth - 1, 1) / (std::max(std::cos(m_ptCentre.y), 1e-12) * m_dR * lon);
    const double down = std::max(m_nHeight - 1, 1) / (m_dR * lat);
    m_dScale = std::min(across, down) * m_dPixelSize;
    Update();
}

void CTransform::FitBounds(double minLon, double minLat, double maxLon, double maxLat) {
    widen_point_box(minLon, minLat, maxLon, maxLat);
    const double scaleLon =
        m_nWidth * m_dPixelSize / (std::sqrt(2.0) * std::fabs(maxLon - minLon) * kMetresPerDegree);
    const double scaleLat =
        m_nHeight * m_dPixelSize / (std::sqrt(2.0) * std::fabs(maxLat - minLat) * kMetresPerDegree);
    m_dScale = scaleLon < scaleLat ? scaleLon : scaleLat;

    SetCentre(minLon, maxLat, 0.0);
    Update();
    const CPt2 corner = ScreenToGeo({0, 0});
    const double dLon = std::fabs(corner.x - minLon), dLat = std::fabs(corner.y - maxLat);
    SetCentre(minLon + dLon, maxLat - dLat, 0.0);
    Update();
    // Moving the centre south changes the length of a degree of longitude on the screen, so
    // the corner measured at the first centre drifts off the top-left (far enough at high
    // latitudes to push the west of the map off the screen). A few more moves of the centre
    // put the corner where it belongs.
    for (int step = 0; step < 8; ++step) {
        const CPt2 at = ScreenToGeo({0, 0});
        const double errLon = minLon - at.x, errLat = maxLat - at.y;
        if (!std::isfinite(errLon) || !std::isfinite(errLat)) break;
        const CPt2 centre = GetCentre();
        SetCentre(centre.x + errLon, centre.y + errLat, 0.0);
        Update();
        if (std::fabs(errLon) + std::fabs(errLat) < 1e-12) break;
    }
}

}  // namespace georef
