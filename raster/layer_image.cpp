#include "raster/layer_image.h"

#include <cstdint>

#include "georef/snap.h"
#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/file_io.h"

using namespace platform::file_io;

namespace model {

namespace {

constexpr std::size_t kNameField = 20;

// The picture file at the path, whole; false when it cannot be read.
bool read_picture_file(const std::string& path, std::vector<std::uint8_t>& bytes) {
    if (path.empty()) return false;
    try {
        platform::CFile file;
        if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone)) return false;
        const std::uint64_t length = file.GetLength();
        // The record counts the file's bytes in 32 bits.
        if (length > UINT32_MAX) return false;
        std::vector<std::uint8_t> all(static_cast<std::size_t>(length));
        if (!read_exact(file, all.data(), all.size())) return false;
        bytes = std::move(all);
        return true;
    } catch (const platform::CException&) {
        return false;
    }
}

}  // namespace

CSFLayerImage::CSFLayerImage(CSFMap* map) : CSFLayer(kLayerImage, map) {}

CSFLayerImage::~CSFLayerImage() = default;

georef::CTrRSS* CSFLayerImage::snap_transform() const {
    if (m_pMap) return m_pMap->get_snap_transform();
    return dynamic_cast<georef::CTrRSS*>(m_pTransform);
}

int CSFLayerImage::AddFootHold(const platform::CPoint& pixel) { return georef::AddFootHold(m_FootHolds, pixel); }

read_result CSFLayerImage::ReadDocument(platform::CFile& file) {
    char name[kNameField];
    if (!read_exact(file, name, kNameField)) return read_failed;
    std::size_t length = 0;
    while (length < kNameField && name[length]) ++length;
    m_strName.assign(name, length);

    try {
        // Read into the map's transformation only once the record holds all of it.
        georef::CTrRSS* target = snap_transform();
        georef::CTrRSS read;
        read.Read(file);
        if (target) *target = read;
    } catch (const platform::CFileException&) {
        return read_failed;
    }
    std::uint32_t width = 0, height = 0, size = 0;
    if (!read_u32(file, width) || !read_u32(file, height) || !read_u32(file, size)) return read_failed;
    if (size > bytes_left(file)) return read_failed;
    std::vector<std::uint8_t> bytes(size);
    if (!read_exact(file, bytes.data(), bytes.size())) return read_failed;

    // Decoded straight from memory: nothing of the document passes through a file on disk.
    m_Image.destroy();
    if (!m_Image.decode(bytes.data(), bytes.size())) m_Image.destroy();
    m_aPictureFile = std::move(bytes);
    m_nImageWidth = static_cast<std::uint32_t>(m_Image.get_info().biWidth);
    m_nImageHeight = static_cast<std::uint32_t>(m_Image.get_info().biHeight);
    return read_ok;
}

void CSFLayerImage::WriteDocument(platform::CFile& file) {
    const georef::CTrRSS* tr = dynamic_cast<const georef::CTrRSS*>(m_pTransform);
    if (!tr || !tr->IsValid()) return;
    std::vector<std::uint8_t> from_path;
    const std::vector<std::uint8_t>* picture = &m_aPictureFile;
    if (picture->empty() && read_picture_file(m_strPath, from_path)) picture = &from_path;

    write_u32(file, kLayerImage);
    file.Write(kRecordName, kNameField);
    tr->Write(file);
    write_u32(file, m_nImageWidth);
    write_u32(file, m_nImageHeight);
    write_u32(file, static_cast<std::uint32_t>(picture->size()));
    file.Write(picture->data(), picture->size());
}

void CSFLayerImage::draw_picture(platform::CDC* dc) const {
    if (dc && *m_Image) m_view.draw_picture(*dc, m_Image);
}

void CSFLayerImage::DrawShapes(platform::CDC* dc) {
    draw_picture(dc);
    if (dc) m_view.draw_footholds(*dc, m_FootHolds);
}

void CSFLayerImage::DrawCells(platform::CDC* dc) { draw_picture(dc); }

}  // namespace model
