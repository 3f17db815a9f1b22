#pragma once

#include "georef/pt.h"
#include "georef/tr.h"
#include "platform/geometry.h"

namespace georef {

// The view projection: longitude and latitude in degrees onto screen pixels and back, on
// a sphere whose radius runs from the Krasovsky ellipsoid's equatorial radius at the
// equator to its polar one at the pole. Call Update after changing screen, centre or scale.
class CTransform : public CTr {
public:
    CTransform();

    // Screen size in pixels and the size of one pixel in metres.
    void SetScreen(int width, int height, double pixelSize);
    // The geographic point in the middle of the screen (degrees) and the map's rotation on
    // the screen (radians).
    void SetCentre(double lon, double lat, double rotation);
    // Screen length per ground length.
    void SetScale(double scale);
    void Update();

    // Pixels, each coordinate truncated toward zero (and held within the integer range).
    platform::CPoint GeoToScreen(double lon, double lat);
    // Degrees (x = longitude, y = latitude).
    CPt2 ScreenToGeo(const platform::CPoint& p);
    CPt2 GetCentre() const;
    // Centres and scales so that the box (degrees) fills the screen with room for any
    // rotation, its north-west corner at the top-left corner.
    void FitBounds(double minLon, double minLat, double maxLon, double maxLat);
    // Puts the middle of the box (degrees) in the middle of the screen, north up, at the
    // largest scale that shows all of it: the box fills the screen across or down, and its
    // shape does not depend on the screen's.
    void fit_centred(double minLon, double minLat, double maxLon, double maxLat);

    double GetScale() const { return m_dScale; }
    double GetRotation() const { return m_dRotation; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    double GetPixelSize() const { return m_dPixelSize; }
    double GetRadius() const { return m_dR; }
    double GetPi() const { return m_dPi; }
    const platform::CPoint& GetScreenPoint() const { return m_ptScreen; }
    const CPt2& GetGeoPoint() const { return m_ptGeo; }

private:
    platform::CPoint m_ptScreen;  // last result of GeoToScreen
    CPt2 m_ptGeo;                 // last result of ScreenToGeo
    CPt2 m_ptCentre;              // radians
    double m_dRotation = 0.0;
    double m_dScale = 1.0;
    double m_dSemiMajor = 6378245.0;  // Krasovsky 1940
    double m_dSemiMinor = 6356863.0;
    double m_dR;
    // The value of pi the projection has always used; positions depend on it.
    double m_dPi = 3.1415926525;
    int m_nWidth = 500;
    int m_nHeight = 400;
    double m_dPixelSize = 0.0003;
    double m_dA = 0.0, m_dB = 0.0, m_dC = 0.0, m_dD = 0.0, m_dE = 0.0, m_dF = 0.0;
    double m_dI[6] = {};
};

}  // namespace georef
