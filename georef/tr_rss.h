#pragma once

#include <array>
#include <cstddef>

#include "georef/tr.h"

namespace platform {
class CFile;
}

namespace georef {

// Rotation, two scales and a shift: the transformation that snapping fits to foothold
// points, from a raster's pixels to longitude and latitude.
//   X = ( cos(theta) x + sin(theta) y) sx + tx
//   Y = (-sin(theta) x + cos(theta) y) sy + ty
// The six direct and six inverse coefficients are kept ready for drawing and for the RRE
// header; they are recomputed after every change of the parameters.
class CTrRSS : public CTr {
public:
    // The size of the record in the map document: 22 doubles.
    static constexpr std::size_t kRecordSize = 22 * 8;

    // The identity, not yet fitted.
    CTrRSS();

    // (f0 x + f1 y + f2, f3 x + f4 y + f5, 0); only x and y are read.
    CPt Forward(const CPt& p) const override;
    // (g0 x + g1 y + g2, g3 x + g4 y + g5, 0).
    CPt Inverse(const CPt& p) const override;
    // Gauss-Newton with a fixed budget of steps from the current parameters, and again from
    // the best similarity of the pairs; the better end is kept. Never fails.
    bool Fit(const CPt* src, const CPt* dst, int n) override;
    // Root-mean-square error of the parameters themselves (the coefficients may be stale
    // while fitting).
    double Residual(const CPt* src, const CPt* dst, int n) const override;

    void SetParameters(double theta, double sx, double sy, double tx, double ty);
    double GetTheta() const { return m_dTheta; }
    double GetSx() const { return m_dSx; }
    double GetSy() const { return m_dSy; }
    double GetTx() const { return m_dTx; }
    double GetTy() const { return m_dTy; }
    const std::array<double, 6>& GetDirect() const { return m_dF; }
    const std::array<double, 6>& GetInverse() const { return m_dG; }

    // The record of the map document, at the file's position, little-endian. Reading marks
    // the transformation fitted; a file ending inside the record raises CFileException
    // (endOfFile) and leaves the transformation as it was.
    void Write(platform::CFile& file) const;
    void Read(platform::CFile& file);

private:
    // The steps of one fit from the current parameters.
    void Steps(const CPt* src, const CPt* dst, int n);
    // The parameters of the similarity (sy = sx or sy = -sx) that fits the pairs best, in
    // closed form; false when the pairs give none (all sources at one place).
    bool StartFromSimilarity(const CPt* src, const CPt* dst, int n);
    void UpdateCoefficients();
    // Calls field on each member of the record in the record's order.
    template <class Self, class Field>
    static void ForEachRecordField(Self& t, Field&& field);

    double m_dTheta = 0.0;
    double m_dTx = 0.0;
    double m_dTy = 0.0;
    double m_dSx = 1.0;
    double m_dSy = 1.0;
    std::array<double, 6> m_dF{};
    std::array<double, 6> m_dG{};
    // r1 to r5: carried through the record, used by nothing.
    std::array<double, 5> m_dR{0.0, 1.0, 1.0, 0.0, 0.0};
};

}  // namespace georef
