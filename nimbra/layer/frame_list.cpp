#include <algorithm>

#include "nimbra/layer/layer.h"
#include "platform/archive.h"
#include "platform/file.h"

namespace tarvel_tech::nimbra {

layer::frame_list::~frame_list() { clear(); }

void layer::frame_list::clear() { items.clear(); }

layer::frame* layer::frame_list::at(std::int32_t index) const {
    if (index < 0 || index >= size()) return nullptr;
    return items[static_cast<std::size_t>(index)].get();
}

void layer::frame_list::push_back(std::unique_ptr<frame> item) { items.push_back(std::move(item)); }

void layer::frame_list::Serialize(platform::CArchive& ar) {
    if (ar.IsStoring()) {
        if (items.empty()) return;
        for (auto& f : items) f->Serialize(ar);
        for (auto& f : items) {
            if (f->size() <= 0) continue;
            if (f->get_body())
                ar.Write(f->get_body(), static_cast<std::size_t>(f->size()));
            else
                ar.WriteZeros(static_cast<std::size_t>(f->size()));
        }
        return;
    }

    clear();
    const header& h = owner_->get_header();
    const std::int64_t rows = h.get_count_longitude_frames();
    const std::int64_t columns = h.get_count_latitude_frames();
    if (rows <= 0 || columns <= 0) return;
    const std::int64_t count = rows * columns;

    // The counts come from the file: reserve no more entries than the file can still hold,
    // and let a short file end in the archive's end-of-file error.
    platform::CFile* file = ar.GetFile();
    const std::uint64_t start = static_cast<std::uint64_t>(owner_->get_base_offset()) + header_size;
    const std::uint64_t length = file->GetLength();
    const std::uint64_t room = length > start ? (length - start) / entry_size : 0;
    items.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(count), room)));
    for (std::int64_t i = 0; i < count; ++i) {
        auto f = std::make_unique<frame>(owner_);
        f->Serialize(ar);
        items.push_back(std::move(f));
    }
}

layer::frame_iterator layer::frame_list::operator[](std::uint32_t y) const {
    layer::frame_iterator end_position(-1, owner_);
    const header& h = owner_->get_header();
    const std::int32_t columns = h.get_count_latitude_frames();
    if (items.empty() || current_column < 0 || current_column >= columns) return end_position;
    if (h.get_size_longitude_frame() <= 0) return end_position;
    const std::uint64_t row = y / static_cast<std::uint32_t>(h.get_size_longitude_frame());
    const std::uint64_t index =
        static_cast<std::uint64_t>(current_column) + static_cast<std::uint64_t>(columns) * row;
    if (index >= items.size()) return end_position;
    return layer::frame_iterator(static_cast<std::int32_t>(index), owner_);
}

}  // namespace tarvel_tech::nimbra
