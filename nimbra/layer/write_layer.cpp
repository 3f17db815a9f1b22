#include "nimbra/layer/write_layer.h"

#include <limits>
#include <new>

#include "platform/archive.h"
#include "platform/file.h"

namespace tarvel_tech::nimbra {
namespace {

constexpr std::size_t archive_buffer = 4096;
constexpr std::int64_t offset_limit = std::numeric_limits<std::int32_t>::max();

}  // namespace

bool write_layer::put_frame(const void* data, std::size_t length) {
    if (length != 0 && !data) return false;
    // Offsets are int32 in the file: a frame that would push the layer past them
    // cannot be placed.
    if (length > static_cast<std::size_t>(offset_limit) ||
        std::int64_t{next_offset_} + static_cast<std::int64_t>(length) + entry_size > offset_limit)
        return false;
    std::unique_ptr<frame> f;
    try {
        f = std::make_unique<frame>(this, data, static_cast<std::int32_t>(length), next_offset_);
    } catch (const std::bad_alloc&) {
        return false;
    }
    next_offset_ += static_cast<std::int32_t>(length) + entry_size;
    frames_.push_back(std::move(f));
    // Each new entry lengthens the index and so moves every body by 8 bytes.
    for (std::int32_t i = 0; i < frames_.size(); ++i) {
        frame* each = frames_.at(i);
        each->set_data_offset(each->get_data_offset() + entry_size);
    }
    return true;
}

bool write_layer::prepare_bodies() {
    // A writer loaded from a file whose bodies can no longer be read is not saved:
    // its index would announce bytes that are not there.
    if (!fix_all_bodies()) return false;
    // Bodies go out back to back in index order, so the index must say exactly that,
    // whatever order a loaded file kept them in.
    std::int64_t offset = header_size + std::int64_t{entry_size} * frames_.size();
    for (std::int32_t i = 0; i < frames_.size(); ++i) {
        frame* each = frames_.at(i);
        if (offset > offset_limit) return false;
        each->set_data_offset(static_cast<std::int32_t>(offset));
        offset += each->size();
    }
    return true;
}

bool write_layer::save(const std::string& path) {
    if (path.empty()) return false;
    if (!prepare_bodies()) return false;
    if (file_)
        file_->Close();
    else
        file_ = std::make_unique<platform::CFile>();
    if (!file_->Open(path, platform::CFile::modeCreate | platform::CFile::modeWrite)) {
        file_.reset();
        return false;
    }
    platform::CArchive ar(file_.get(), platform::CArchive::store, archive_buffer);
    Serialize(ar);
    ar.Close();
    return true;
}

bool write_layer::save(platform::CFile* file) {
    if (!file) return false;
    if (!prepare_bodies()) return false;
    drop_file();
    platform::CArchive ar(file, platform::CArchive::store, archive_buffer);
    Serialize(ar);
    ar.Close();
    return true;
}

bool write_layer::start_stream(platform::CFile* file, std::int32_t count) {
    if (!file || count < 0 || !frames_.empty() || stream_) return false;
    const std::int64_t first_body = header_size + std::int64_t{entry_size} * count;
    if (first_body > offset_limit) return false;
    drop_file();
    platform::CArchive ar(file, platform::CArchive::store, archive_buffer);
    serialize_location(ar);
    header_.Serialize(ar);
    ar.WriteZeros(static_cast<std::size_t>(entry_size) * static_cast<std::size_t>(count));
    ar.Close();
    stream_ = file;
    stream_count_ = count;
    stream_offset_ = first_body;
    return true;
}

bool write_layer::stream_frame(const void* data, std::size_t length) {
    if (!stream_ || frames_.size() >= stream_count_ || (length != 0 && !data)) return false;
    if (length > static_cast<std::size_t>(offset_limit) ||
        stream_offset_ + static_cast<std::int64_t>(length) > offset_limit)
        return false;
    auto f = std::make_unique<frame>(this);
    f->set_data_offset(static_cast<std::int32_t>(stream_offset_));
    f->set_data_size(static_cast<std::int32_t>(length));
    if (length != 0) stream_->Write(data, length);
    stream_offset_ += static_cast<std::int64_t>(length);
    frames_.push_back(std::move(f));
    return true;
}

bool write_layer::finish_stream() {
    if (!stream_ || frames_.size() != stream_count_) return false;
    platform::CFile* file = stream_;
    stream_ = nullptr;
    const std::uint64_t end = file->GetPosition();
    file->Seek(static_cast<std::int64_t>(base_offset_) + header_size, platform::CFile::begin);
    platform::CArchive ar(file, platform::CArchive::store, archive_buffer);
    for (std::int32_t i = 0; i < frames_.size(); ++i) frames_.at(i)->get_entry().Serialize(ar);
    ar.Close();
    file->Seek(static_cast<std::int64_t>(end), platform::CFile::begin);
    return true;
}

bool write_layer::is_valid() const { return meets_validity_rule(); }

}  // namespace tarvel_tech::nimbra
