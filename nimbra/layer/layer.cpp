#include "nimbra/layer/layer.h"

#include <cmath>
#include <limits>

#include "platform/archive.h"
#include "platform/file.h"

namespace tarvel_tech::nimbra {
namespace {

constexpr std::size_t archive_buffer = 4096;

// Truncation toward zero that stays defined for values no pixel or degree can have.
std::int32_t truncate_to_int(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

bool within_degrees(double value) { return value >= -180.0 && value <= 180.0; }

}  // namespace

layer::layer() : header_(this), frames_(this) {}

layer::~layer() { drop_file(); }

void layer::drop_file() {
    if (!file_) return;
    try {
        file_->Close();
    } catch (const platform::CFileException&) {
        // Only read or already written: nothing is lost by a failing close.
    }
    file_.reset();
}

void layer::serialize_location(platform::CArchive& ar) {
    platform::CFile* file = ar.GetFile();
    file_path_ = file->GetFilePath();
    base_offset_ = static_cast<std::uint32_t>(file->GetPosition());
}

void layer::Serialize(platform::CArchive& ar) {
    serialize_location(ar);
    header_.Serialize(ar);
    frames_.Serialize(ar);
}

bool layer::load(const std::string& path) {
    if (path.empty()) return false;
    if (file_)
        file_->Close();
    else
        file_ = std::make_unique<platform::CFile>();
    if (!file_->Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone)) {
        file_.reset();
        return false;
    }
    platform::CArchive ar(file_.get(), platform::CArchive::load, archive_buffer);
    Serialize(ar);
    ar.Close();
    return true;
}

bool layer::load(platform::CFile* file, std::uint32_t offset) {
    if (!file) return false;
    if (offset != 0) file->Seek(offset, platform::CFile::begin);
    drop_file();
    platform::CArchive ar(file, platform::CArchive::load, archive_buffer);
    Serialize(ar);
    ar.Close();
    return true;
}

bool layer::close() {
    if (!file_) return false;
    drop_file();
    frames_.clear();
    return true;
}

platform::CFile* layer::reach_file() {
    if (!file_) {
        if (file_path_.empty()) return nullptr;
        auto file = std::make_unique<platform::CFile>();
        if (!file->Open(file_path_, platform::CFile::modeRead | platform::CFile::shareDenyNone)) return nullptr;
        file_ = std::move(file);
    }
    return file_.get();
}

std::vector<std::int32_t> layer::frames_outside_file() {
    platform::CFile* file = reach_file();
    std::uint64_t length = 0;
    try {
        if (file) length = file->GetLength();
    } catch (const platform::CFileException&) {
        file = nullptr;
    }
    std::vector<std::int32_t> outside;
    for (std::int32_t i = 0; i < frames_.size(); ++i) {
        const frame* each = frames_.at(i);
        if (!each->get_body() && (!file || !each->lies_within(base_offset_, length))) outside.push_back(i);
    }
    return outside;
}

bool layer::bodies_fit_file() {
    std::uint64_t claimed = 0;
    for (std::int32_t i = 0; i < frames_.size(); ++i) {
        const frame* each = frames_.at(i);
        if (!each->get_body() && each->size() > 0) claimed += static_cast<std::uint64_t>(each->size());
    }
    if (claimed == 0) return true;
    platform::CFile* file = reach_file();
    if (!file) return false;
    std::uint64_t length = 0;
    try {
        length = file->GetLength();
    } catch (const platform::CFileException&) {
        return false;
    }
    const std::uint64_t bodies_start =
        std::uint64_t{base_offset_} + header_size + std::uint64_t{entry_size} * static_cast<std::uint64_t>(frames_.size());
    return bodies_start <= length && claimed <= length - bodies_start;
}

bool layer::fix_all_bodies() {
    for (std::int32_t i = 0; i < frames_.size(); ++i) {
        frame* each = frames_.at(i);
        if (each->size() != 0 && !each->fix(true)) return false;
    }
    return true;
}

bool layer::meets_validity_rule() const {
    const header& h = header_;
    const std::int64_t rows = h.count_longitude_frames;
    const std::int64_t columns = h.count_latitude_frames;
    // Negative counts multiply to a plausible total but describe no grid.
    if (rows <= 0 || columns <= 0) return false;
    if (rows * columns != frames_.size() || frames_.empty()) return false;
    if (h.width_layer_image <= 0 || h.height_layer_image <= 0) return false;
    if (columns * h.size_latitude_frame != h.width_layer_image) return false;
    if (rows * h.size_longitude_frame != h.height_layer_image) return false;
    if (!within_degrees(h.max_latitude) || !within_degrees(h.min_latitude) ||
        !within_degrees(h.max_longitude) || !within_degrees(h.min_longitude))
        return false;
    return h.layer_type == rre_layer_type;
}

layer::frame_iterator layer::begin() { return frame_iterator(frames_.empty() ? -1 : 0, this); }

layer::frame_iterator layer::end() { return frame_iterator(-1, this); }

layer::frame_list& layer::operator[](std::uint32_t x) {
    const std::int32_t width = header_.size_latitude_frame;
    if (width <= 0) {
        frames_.current_column = -1;
    } else {
        const std::uint32_t column = x / static_cast<std::uint32_t>(width);
        frames_.current_column =
            column > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())
                ? -1
                : static_cast<std::int32_t>(column);
    }
    return frames_;
}

void layer::direct(const platform::CPoint* point, double* latitude, double* longitude) const {
    if (!point) return;
    const double* t = header_.transform;
    const double x = point->x, y = point->y;
    if (latitude) *latitude = t[3] * x + t[4] * y + t[5];
    if (longitude) *longitude = t[0] * x + t[1] * y + t[2];
}

void layer::direct(platform::CPoint* point) const {
    if (!point) return;
    double latitude = 0.0, longitude = 0.0;
    direct(point, &latitude, &longitude);
    point->x = truncate_to_int(latitude);
    point->y = truncate_to_int(longitude);
}

void layer::inverse(double latitude, double longitude, platform::CPoint* point) const {
    if (!point) return;
    const double* t = header_.transform;
    point->x = truncate_to_int(t[6] * longitude + t[7] * latitude + t[8]);
    point->y = truncate_to_int(t[9] * longitude + t[10] * latitude + t[11]);
}

void layer::inverse(platform::CPoint* point) const {
    if (!point) return;
    inverse(point->x, point->y, point);
}

}  // namespace tarvel_tech::nimbra
