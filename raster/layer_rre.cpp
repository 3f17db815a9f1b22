#include "raster/layer_rre.h"

#include <algorithm>
#include <cctype>

#include "georef/snap.h"
#include "map/sf_map.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "nimbra/layer/layer_image.h"
#include "nimbra/layer/write_layer.h"
#include "nimbra/paint/paint.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/file_io.h"
#include "platform/ui_service.h"
#include "raster/embedded_layer.h"
#include "raster/frame_source.h"
#include "raster/rre_export.h"

using namespace platform::file_io;

namespace model {

namespace nimbra = tarvel_tech::nimbra;

namespace {

std::string upper_tail(const std::string& name, std::size_t count) {
    std::string tail = name.size() >= count ? name.substr(name.size() - count) : std::string();
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail;
}

// The codec a picture file's name asks for, or none.
std::unique_ptr<nimbra::image> codec_for_name(const std::string& name) {
    const std::string kind = upper_tail(name, 3);
    if (kind == "JPG" || upper_tail(name, 4) == "JPEG") return std::make_unique<nimbra::jpg_image>();
    if (kind == "BMP") return std::make_unique<nimbra::bmp_image>();
    return nullptr;
}

}  // namespace

CSFLayerRRE::CSFLayerRRE(CSFMap* map) : CSFLayer(kLayerRRE, map) { m_strName = kInitialName; }

CSFLayerRRE::~CSFLayerRRE() = default;

bool CSFLayerRRE::has_picture() const { return m_pPicture && **m_pPicture; }

platform::CSize CSFLayerRRE::get_picture_size() const {
    if (!has_picture()) return {};
    return {m_pPicture->get_info().biWidth, m_pPicture->get_info().biHeight};
}

georef::CTrRSS* CSFLayerRRE::drawing_transform() const { return dynamic_cast<georef::CTrRSS*>(m_pTransform); }

int CSFLayerRRE::ImportRaster(const std::string& name, const std::string& path) {
    if (path.empty()) return 1;
    m_pPicture = codec_for_name(name);
    if (!m_pPicture) return 1;
    try {
        if (!m_pPicture->load(path)) return 1;
    } catch (const platform::CException&) {
        platform::ui().MessageBox(kMsgImageLoad, kCaptionLoadImageFailed, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return 1;
    }
    m_strPath = path;
    return 0;
}

int CSFLayerRRE::AddFootHold(const platform::CPoint& pixel) { return georef::AddFootHold(m_FootHolds, pixel); }

void CSFLayerRRE::update_bounds(const georef::CTrRSS& tr) {
    const platform::CSize size = get_picture_size();
    if (size.cx <= 0 || size.cy <= 0) return;
    // Pixel indices name pixel centres: the picture reaches half a pixel beyond them.
    const double left = -0.5, top = -0.5, right = size.cx - 0.5, bottom = size.cy - 0.5;
    const georef::CPt corners[4] = {{left, top, 0.0}, {right, top, 0.0}, {left, bottom, 0.0}, {right, bottom, 0.0}};
    CSFRect box;
    for (int i = 0; i < 4; ++i) {
        const georef::CPt g = tr.Forward(corners[i]);
        if (i == 0) box = {g.x, g.y, g.x, g.y};
        box.minX = std::min(box.minX, g.x);
        box.minY = std::min(box.minY, g.y);
        box.maxX = std::max(box.maxX, g.x);
        box.maxY = std::max(box.maxY, g.y);
    }
    m_rcBounds = box;
}

bool CSFLayerRRE::Snap() {
    georef::CTrRSS* tr = drawing_transform();
    // A layer outside a map draws through its own copy.
    if (!tr) tr = &m_trSnap;
    return georef::SnapFootHolds(m_FootHolds, *tr, [this](const georef::CTrRSS& fitted) {
        m_trSnap = fitted;
        update_bounds(fitted);
        if (m_pMap) m_pMap->RecomputeBounds();
    });
}

bool CSFLayerRRE::ExportRRE(platform::CFile* target, const georef::CTrRSS& transform, std::string* cause) const {
    if (!has_picture()) {
        if (cause) *cause = "the layer has no picture";
        return false;
    }
    picture_frames frames(*m_pPicture, m_nQuality);
    return export_rre(&frames, transform, target, cause);
}

void CSFLayerRRE::WriteDocument(platform::CFile& file) {
    // The name goes out cut to what a reader keeps.
    const std::string name = m_strName.substr(0, std::min(m_strName.size(), kMaxNameLength));
    try {
        // The layer is built before anything is written, so that a picture that cannot be
        // exported leaves no record behind at all.
        if (!has_picture()) return;
        picture_frames frames(*m_pPicture, m_nQuality);
        nimbra::write_layer layer;
        if (!build_rre_layer(frames, m_trSnap, layer)) return;
        write_u32(file, kLayerRRE);
        write_u32(file, static_cast<std::uint32_t>(name.size()));
        file.Write(name.data(), name.size());
        write_u32(file, m_nIndex);
        write_u32(file, body_length(layer));
        layer.save(&file);
    } catch (const platform::CException&) {
        platform::ui().MessageBox(kMsgImageLoad, kCaptionSaveFileFailed, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        // The document now holds part of a record; its writer must not take it for whole.
        throw;
    }
}

read_result CSFLayerRRE::ReadDocument(platform::CFile& file) {
    try {
        std::uint32_t length = 0;
        if (!read_u32(file, length) || length > kMaxNameLength || length > bytes_left(file)) return read_failed;
        std::string name(length, '\0');
        if (!read_exact(file, name.data(), length)) return read_failed;
        std::uint32_t index = 0, bodies = 0;
        if (!read_u32(file, index) || !read_u32(file, bodies)) return read_failed;
        m_strName = name;

        embedded_rre_layer layer;
        if (!layer.load_embedded(file)) return read_failed;
        const std::uint64_t end = file.GetPosition() + bodies;
        if (end > file.GetLength()) return read_failed;

        set_rre_coefficients(m_trSnap, layer.get_transform());
        if (georef::CTrRSS* tr = drawing_transform()) *tr = m_trSnap;

        const auto& header = layer.get_header();
        const std::int64_t frames = std::int64_t{header.get_count_longitude_frames()} * header.get_count_latitude_frames();
        m_strName += "-" + std::to_string(frames);

        auto picture = std::make_unique<nimbra::layer_image>();
        if (!picture->load(&layer)) {
            m_pPicture.reset();
            return read_failed;
        }
        m_pPicture = std::move(picture);
        update_bounds(m_trSnap);
        // The bodies were read from this file: the next record starts behind them.
        file.Seek(static_cast<std::int64_t>(end), platform::CFile::begin);
        return read_ok;
    } catch (const platform::CException&) {
        // A record cut short inside the layer's header or index.
        return read_failed;
    }
}

void CSFLayerRRE::draw_picture(platform::CDC* dc) const {
    // The picture goes only into an off-screen paint, which shows it in one piece.
    auto* target = dynamic_cast<nimbra::paint*>(dc);
    if (!target || !target->HasDevice() || !IsVisible() || !has_picture()) return;
    m_view.draw_picture(*target, *m_pPicture);
}

void CSFLayerRRE::DrawShapes(platform::CDC* dc) {
    draw_picture(dc);
    if (dc) m_view.draw_footholds(*dc, m_FootHolds);
}

void CSFLayerRRE::DrawCells(platform::CDC* dc) { draw_picture(dc); }

}  // namespace model
