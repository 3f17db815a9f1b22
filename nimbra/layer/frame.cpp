#include <cstring>
#include <new>

#include "nimbra/layer/layer.h"
#include "nimbra/layer/write_layer.h"
#include "platform/file.h"

namespace tarvel_tech::nimbra {

layer::frame::frame(layer* owner) : owner_(owner) {}

layer::frame::frame(layer* owner, const void* data, std::int32_t length, std::int32_t offset)
    : owner_(owner) {
    if (length > 0) {
        body.reset(new std::uint8_t[static_cast<std::size_t>(length)]);
        std::memcpy(body.get(), data, static_cast<std::size_t>(length));
    }
    data_size = length;
    data_offset = offset;
}

layer::frame::~frame() = default;

std::uint8_t* layer::frame::fix(bool pin) {
    if (!owner_) return nullptr;
    if (!pin) {
        // A writer's bodies exist nowhere else.
        if (!dynamic_cast<write_layer*>(owner_)) body.reset();
        return nullptr;
    }
    if (body) return body.get();
    return read_body();
}

bool layer::frame::lies_within(std::uint64_t base, std::uint64_t file_length) const {
    if (data_offset < 0 || data_size < 0) return false;
    return base + static_cast<std::uint64_t>(data_offset) + static_cast<std::uint64_t>(data_size) <= file_length;
}

std::uint8_t* layer::frame::read_body() {
    platform::CFile* reached = owner_->reach_file();
    if (!reached) return nullptr;
    platform::CFile& file = *reached;
    const std::uint64_t base = owner_->base_offset_;
    try {
        // The index comes from the file: a body outside it is unreadable, not a huge read.
        if (!lies_within(base, file.GetLength())) return nullptr;
        const std::uint64_t start = base + static_cast<std::uint64_t>(data_offset);

        if (file.Seek(static_cast<std::int64_t>(base), platform::CFile::begin) != base) {
            owner_->drop_file();
            return nullptr;
        }
        if (file.Seek(data_offset, platform::CFile::current) != start) return nullptr;

        std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(data_size)]);
        if (!bytes) return nullptr;
        if (file.Read(bytes.get(), static_cast<std::size_t>(data_size)) != static_cast<std::size_t>(data_size))
            return nullptr;
        body = std::move(bytes);
        return body.get();
    } catch (const platform::CFileException&) {
        return nullptr;
    }
}

}  // namespace tarvel_tech::nimbra
