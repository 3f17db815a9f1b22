#include "nimbra/layer/layer.h"
#include "platform/archive.h"

namespace tarvel_tech::nimbra {
namespace {

// Reserved stretches of the 276-byte header, written as zeros and skipped on reading.
constexpr std::size_t reserved_after_type = 20;
constexpr std::size_t reserved_after_bounds = 16;
constexpr std::size_t reserved_after_transform = 80;
constexpr std::size_t reserved_after_size = 4;

void reserved(platform::CArchive& ar, std::size_t count) {
    if (ar.IsStoring())
        ar.WriteZeros(count);
    else
        ar.Skip(count);
}

template <typename T>
void field(platform::CArchive& ar, T& value) {
    if (ar.IsStoring())
        ar << value;
    else
        ar >> value;
}

}  // namespace

void layer::header::Serialize(platform::CArchive& ar) {
    field(ar, layer_type);
    reserved(ar, reserved_after_type);
    field(ar, min_latitude);
    field(ar, max_latitude);
    field(ar, min_longitude);
    field(ar, max_longitude);
    reserved(ar, reserved_after_bounds);
    for (double& t : transform) field(ar, t);
    reserved(ar, reserved_after_transform);
    field(ar, width_layer_image);
    field(ar, height_layer_image);
    reserved(ar, reserved_after_size);
    field(ar, count_longitude_frames);
    field(ar, count_latitude_frames);
    field(ar, size_longitude_frame);
    field(ar, size_latitude_frame);
}

void layer::frame_entry::Serialize(platform::CArchive& ar) {
    field(ar, data_offset);
    field(ar, data_size);
}

}  // namespace tarvel_tech::nimbra
