#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "georef/foot_hold.h"
#include "georef/tr_rss.h"
#include "map/sf_layer.h"
#include "raster/raster_view.h"

namespace tarvel_tech::nimbra {
class image;
}

namespace model {

inline constexpr char kMsgImageLoad[] = "Image load..";
inline constexpr char kCaptionLoadImageFailed[] = "Load image failed...\n";
inline constexpr char kCaptionSaveFileFailed[] = "Save file failed...\n";

// The raster layer of a map: a JPEG or BMP picture the operator ties to the ground with
// footholds and snaps. It is kept in the map document as an RRE layer of JPEG frames, and
// read back from there as the frames decoded into one picture.
class CSFLayerRRE : public CSFLayer {
public:
    static constexpr char kInitialName[] = "RRE";
    // The longest name the document record holds: a reader keeps at most 255 characters.
    static constexpr std::size_t kMaxNameLength = 255;

    explicit CSFLayerRRE(CSFMap* map = nullptr);
    ~CSFLayerRRE() override;

    // The picture of a .jpg, .jpeg or .bmp file (chosen by the name's end, whatever its
    // case). 1 for an empty path, a name of another kind or a picture that cannot be read.
    int ImportRaster(const std::string& name, const std::string& path) override;
    // The RRE record after its tag: the name grows by "-" and the frame count, the
    // transformation goes to the drawing transformation and the snap copy, and the frames
    // are decoded into the picture. read_failed when the record, its layer or a frame
    // cannot be read; the file then stands at no particular place.
    read_result ReadDocument(platform::CFile& file) override;
    // The RRE record, tag included, through the snap copy. When the picture cannot be
    // exported (the operator has been told why) nothing at all is written, so the document
    // never holds half a record. A file error is reported ("Image load..") and passed on.
    void WriteDocument(platform::CFile& file) override;
    // The picture (only into a paint, when the layer is shown), then the foothold marks.
    void DrawShapes(platform::CDC* dc) override;
    // The picture only.
    void DrawCells(platform::CDC* dc) override;
    // The snap copy; the layer counts as snapped when it is fitted.
    const georef::CTrRSS* get_snap_copy() const override { return &m_trSnap; }

    // Fits the drawing transformation (the map's snap transformation) to the used
    // footholds, copies it into the snap copy and widens the bounds to the picture's place
    // on the ground. False when the operator was told why not ("No enough foothold points."
    // and the like); the transformations are then as they were.
    bool Snap();
    // The export routine of the map document: the picture's frames through the
    // transformation, at the target's position (the length of the bodies, then the layer).
    bool ExportRRE(platform::CFile* target, const georef::CTrRSS& transform, std::string* cause = nullptr) const;

    // What the view gives: its scroll position and client rectangle.
    void SetView(const platform::CPoint& scroll, const platform::CRect& client) { m_view.set(scroll, client); }
    // A foothold placed by a click at a picture pixel, its coordinates asked for; -1 when
    // the list is full or the operator cancelled.
    int AddFootHold(const platform::CPoint& pixel);
    georef::CFootHold& GetFootHolds() { return m_FootHolds; }
    const georef::CFootHold& GetFootHolds() const { return m_FootHolds; }

    bool has_picture() const;
    // The picture's size, 0 x 0 without one.
    platform::CSize get_picture_size() const;
    // The JPEG quality of the frames the layer is exported with.
    void set_quality(int quality) { m_nQuality = quality; }

    std::unique_ptr<tarvel_tech::nimbra::image> m_pPicture;
    raster_view m_view;
    georef::CFootHold m_FootHolds;
    georef::CTrRSS m_trSnap;
    int m_nQuality = 75;

private:
    georef::CTrRSS* drawing_transform() const;
    // The box on the ground of the picture's outer edges through the transformation.
    void update_bounds(const georef::CTrRSS& tr);
    void draw_picture(platform::CDC* dc) const;
};

}  // namespace model
