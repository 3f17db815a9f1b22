#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "georef/foot_hold.h"
#include "map/sf_layer.h"
#include "nimbra/image/jpg_image.h"
#include "raster/raster_view.h"

namespace georef {
class CTrRSS;
}

namespace model {

// The raster layer of older map documents: one JPEG picture kept whole in the document,
// drawn one to one. It comes only from documents; pictures added now become RRE layers.
class CSFLayerImage : public CSFLayer {
public:
    // What the record always holds as the layer's name.
    static constexpr char kRecordName[] = "12345678912345678912";

    explicit CSFLayerImage(CSFMap* map = nullptr);
    ~CSFLayerImage() override;

    // The image record after its tag. The transformation goes to the snap transformation of
    // the layer's map (to the layer's drawing transformation when it has no map) and the
    // picture is decoded from the record's bytes in memory; a picture that cannot be decoded
    // leaves the layer without one. read_failed only when the record itself is cut short.
    read_result ReadDocument(platform::CFile& file) override;
    // The image record, tag included, only when the drawing transformation is snapped. The
    // picture's file is the one the record was read from, or else the file at the layer's
    // path; without either the record holds no picture bytes.
    void WriteDocument(platform::CFile& file) override;
    // The picture, then the foothold marks.
    void DrawShapes(platform::CDC* dc) override;
    // The picture only.
    void DrawCells(platform::CDC* dc) override;

    void SetView(const platform::CPoint& scroll, const platform::CRect& client) { m_view.set(scroll, client); }
    // A foothold placed by a click at a picture pixel, its coordinates asked for; -1 when
    // the list is full or the operator cancelled.
    int AddFootHold(const platform::CPoint& pixel);
    georef::CFootHold& GetFootHolds() { return m_FootHolds; }

    tarvel_tech::nimbra::jpg_image m_Image;
    georef::CFootHold m_FootHolds;
    raster_view m_view;
    std::uint32_t m_nImageWidth = 0;
    std::uint32_t m_nImageHeight = 0;
    // The JPEG file as the document held it, written back as it was.
    std::vector<std::uint8_t> m_aPictureFile;

private:
    georef::CTrRSS* snap_transform() const;
    void draw_picture(platform::CDC* dc) const;
};

}  // namespace model
