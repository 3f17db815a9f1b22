#pragma once

// Between coordinate_system and the module that holds PROJ: the module is loaded only when a
// definition is first read (georef/coordinate_system.cpp), and hands over these entry points.

#include <cstddef>
#include <string>

namespace georef {

// Raised whenever the entry points change, so that a stale module is refused, not called.
constexpr int kProjEntryPointsVersion = 1;

// A system as the module read it; only the module looks inside.
struct proj_system;

// What the module tells of a system it read (as coordinate_system gives it).
struct proj_description {
    std::string name;
    std::string identifier;
    bool geographic = false;
    bool wgs84_degrees = false;
};

struct proj_entry_points {
    int version;
    // None, cause saying why, when PROJ does not read the text as a system of longitude and
    // latitude or of a map projection with a way to WGS 84.
    proj_system* (*create)(const std::string& text, proj_description& description, std::string* cause);
    // As coordinate_system::to_lonlat.
    std::size_t (*to_lonlat)(const proj_system* system, double* x, double* y, std::size_t count, std::size_t stride);
    void (*destroy)(proj_system* system);
};

// The name of the module's one exported function (extern "C" const void* taking nothing),
// returning its entry points.
constexpr const char* kProjEntryPointsSymbol = "plotwright_proj_entry_points";

// Loads the module at the path (each call anew) and returns its entry points; none, cause
// saying why (the loader's own words), when it cannot be loaded or is not the module.
const proj_entry_points* load_proj_module(const std::string& path, std::string* cause);

}  // namespace georef
