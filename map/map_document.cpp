// The map document (.kxr): the header and the framing of the layer records. Each layer
// writes and reads its own record; the map writes the header, reads the tags and makes the
// layers by their tags.

#include <cctype>
#include <cstring>
#include <new>

#include "georef/transform.h"
#include "georef/tr_rss.h"
#include "map/buffered_writer.h"
#include "map/layer_registry.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "platform/buffered_file.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/replacing_file.h"

using namespace platform::file_io;

namespace model {

namespace {

constexpr char kMagic[3] = {'k', 'x', 'r'};
constexpr std::uint32_t kWrittenVersion = 5;
// Where the record count stands: after the magic and the version.
constexpr std::int64_t kCountOffset = 7;

std::string lower_tail(const std::string& name, std::size_t count) {
    std::string tail = name.size() >= count ? name.substr(name.size() - count) : std::string();
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail;
}

bool is_shapefile_kind(std::uint32_t tag) { return tag == kLayerPoint || tag == kLayerLine || tag == kLayerPolygon; }
bool is_raster_kind(std::uint32_t tag) { return tag == kLayerImage || tag == kLayerRRE; }

}  // namespace

save_result CSFMap::Save(const std::string& path, std::string* cause) {
    platform::replacing_file target;
    platform::CFileException error;
    if (!target.Create(path, &error)) {
        if (cause) *cause = platform::reason_of(error);
        return map_not_saved;
    }
    try {
        buffered_writer out(target);
        std::uint32_t visible = 0;
        for (const auto& layer : m_aLayers) visible += layer->IsVisible() ? 1 : 0;
        out.Write(kMagic, sizeof kMagic);
        write_u32(out, kWrittenVersion);
        write_u32(out, visible);
        // Only an image layer may have nothing to store (until it is snapped); only the
        // records written are counted. Any other layer that writes nothing could not write
        // its record, and a document without it is not the operator's map.
        std::uint32_t records = 0;
        for (const auto& layer : m_aLayers) {
            if (!layer->IsVisible()) continue;
            const std::uint64_t before = out.GetPosition();
            layer->WriteDocument(out);
            if (out.GetPosition() != before) {
                ++records;
            } else if (layer->m_nKind != kLayerImage) {
                if (cause)
                    *cause = "layer " + std::to_string(layer->m_nIndex) + " (" + layer->m_strName +
                             ") could not write its record";
                target.Discard();
                return map_not_saved;
            }
        }
        if (records != visible) {
            out.Seek(kCountOffset, platform::CFile::begin);
            write_u32(out, records);
        }
        out.Flush();
        target.Commit();
    } catch (const platform::CException& e) {
        if (cause) *cause = platform::reason_of(e);
        target.Discard();
        return map_not_saved;
    } catch (const std::bad_alloc&) {
        if (cause) *cause = "out of memory";
        target.Discard();
        return map_not_saved;
    }
    return map_saved;
}

load_result CSFMap::Load(const std::string& path, platform::CDC* dc) {
    const std::string extension = lower_tail(path, 4);
    if (extension == ".kxr") return LoadDocument(path, dc);
    if (extension == ".ktf") return LoadKTF(path);
    return format_unknown;
}

read_result CSFMap::read_record(platform::CFile& file, std::uint32_t tag, platform::CDC* dc) {
    if (!is_shapefile_kind(tag) && !is_raster_kind(tag) && tag != kLayerIcons) return read_failed;
    std::unique_ptr<CSFLayer> made = create_layer(tag, this);
    if (!made) return read_failed;
    CSFLayer& layer = *made;
    // Shapefile layers draw through the view projection, raster layers through the snap
    // transform (which the image layer's record fills in); the icon layer draws nothing.
    if (is_shapefile_kind(tag)) layer.m_pTransform = m_pTransform.get();
    if (is_raster_kind(tag)) layer.m_pTransform = m_pSnapTransform.get();
    AddLayer(std::move(made));
    return tag == kLayerIcons ? layer.ReadIcons(file, dc) : layer.ReadDocument(file);
}

load_result CSFMap::LoadDocument(const std::string& path, platform::CDC* dc) {
    platform::CBufferedFile file;
    try {
        if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone)) return file_unreadable;
        char magic[sizeof kMagic];
        if (!read_exact(file, magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0) return not_kxr;
        std::uint32_t count = 0;
        if (!read_u32(file, m_nVersion) || !read_u32(file, count)) return document_unreadable;

        // Nothing is allocated by the count: each record must be there to be read, so a count
        // beyond the file ends at the file's end.
        std::int64_t expected = count;
        std::int64_t read = 0;
        for (; read < expected; ++read) {
            std::uint32_t tag = 0;
            if (!read_u32(file, tag)) return document_unreadable;
            if (read_record(file, tag, dc) != read_ok) return document_unreadable;
            // A version 3 polygon layer's outlines were a record of their own, counted too.
            if (tag == kLayerPolygon && m_nVersion == 3) --expected;
        }
        if (read != expected) return document_unreadable;
    } catch (const platform::CException&) {
        // A file error met inside a record (the embedded raster layer's, say) ends the
        // document as a short read does.
        return document_unreadable;
    } catch (const std::bad_alloc&) {
        return document_unreadable;
    }
    RecomputeBounds();
    return map_loaded;
}

}  // namespace model
