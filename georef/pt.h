#pragma once

#include <cmath>

namespace georef {

struct tagPT {
    double x;
    double y;
    double z;
};

// A point of three doubles carried through the transformations.
class CPt : public tagPT {
public:
    CPt() : tagPT{0.0, 0.0, 0.0} {}
    CPt(double X, double Y, double Z) : tagPT{X, Y, Z} {}
    CPt(int X, int Y, int Z) : tagPT{double(X), double(Y), double(Z)} {}
    CPt(int X, int Y) : tagPT{double(X), double(Y), 0.0} {}
    CPt(const CPt&) = default;
    CPt& operator=(const CPt&) = default;
    virtual ~CPt() = default;

    bool operator==(const tagPT& p) const { return x == p.x && y == p.y && z == p.z; }
    bool operator!=(const tagPT& p) const { return !(*this == p); }
    CPt& operator+=(const tagPT& p) {
        x += p.x;
        y += p.y;
        z += p.z;
        return *this;
    }
    CPt& operator-=(const tagPT& p) {
        x -= p.x;
        y -= p.y;
        z -= p.z;
        return *this;
    }
    CPt operator+(const tagPT& p) const { return CPt(x + p.x, y + p.y, z + p.z); }
    CPt operator-(const tagPT& p) const { return CPt(x - p.x, y - p.y, z - p.z); }
    CPt operator-() const { return CPt(-x, -y, -z); }
    double Length() const { return std::sqrt(x * x + y * y + z * z); }
};

struct tagPT2 {
    double x;
    double y;
};

// A point of two doubles.
class CPt2 : public tagPT2 {
public:
    CPt2() : tagPT2{0.0, 0.0} {}
    CPt2(double X, double Y) : tagPT2{X, Y} {}
    CPt2(int X, int Y) : tagPT2{double(X), double(Y)} {}
    CPt2(const CPt2&) = default;
    CPt2& operator=(const CPt2&) = default;
    virtual ~CPt2() = default;

    bool operator==(const tagPT2& p) const { return x == p.x && y == p.y; }
    bool operator!=(const tagPT2& p) const { return !(*this == p); }
    CPt2& operator+=(const tagPT2& p) {
        x += p.x;
        y += p.y;
        return *this;
    }
    CPt2& operator-=(const tagPT2& p) {
        x -= p.x;
        y -= p.y;
        return *this;
    }
    CPt2 operator+(const tagPT2& p) const { return CPt2(x + p.x, y + p.y); }
    CPt2 operator-(const tagPT2& p) const { return CPt2(x - p.x, y - p.y); }
    CPt2 operator-() const { return CPt2(-x, -y); }
    double Length() const { return std::sqrt(x * x + y * y); }
};

}  // namespace georef
