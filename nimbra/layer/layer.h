#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "nimbra/export.h"
#include "platform/geometry.h"
#include "platform/object.h"

namespace platform {
class CArchive;
class CFile;
}  // namespace platform

namespace tarvel_tech::nimbra {

// A georeferenced raster cut into a grid of equal frames, each an independently encoded
// body. Offsets inside a layer count from its first byte (the base), so a layer reads the
// same standing alone in an .rre file or embedded anywhere in a host file.
class NIMBRA_API layer : public platform::CObject {
public:
    static constexpr std::int32_t rre_layer_type = 2001;
    static constexpr std::int32_t header_size = 276;
    static constexpr std::int32_t entry_size = 8;
    static constexpr int transform_size = 12;

    class frame;
    class frame_list;
    class frame_iterator;

    class NIMBRA_API header : public platform::CObject {
    public:
        explicit header(layer* owner) : owner_(owner) {}
        header(const header&) = delete;
        header& operator=(const header&) = delete;

        void Serialize(platform::CArchive& ar) override;
        layer* get_layer() const { return owner_; }

        void set_layer_type(int value) { layer_type = value; }
        void set_min_latitude(double value) { min_latitude = value; }
        void set_max_latitude(double value) { max_latitude = value; }
        void set_min_longitude(double value) { min_longitude = value; }
        void set_max_longitude(double value) { max_longitude = value; }
        void set_width_layer_image(int value) { width_layer_image = value; }
        void set_height_layer_image(int value) { height_layer_image = value; }
        void set_count_longitude_frames(int value) { count_longitude_frames = value; }
        void set_count_latitude_frames(int value) { count_latitude_frames = value; }
        void set_size_longitude_frame(int value) { size_longitude_frame = value; }
        void set_size_latitude_frame(int value) { size_latitude_frame = value; }
        // A layer of columns x rows frames of one size, covering exactly what they cover.
        void set_frame_grid(int columns, int rows, int frame_width, int frame_height) {
            count_latitude_frames = columns;
            count_longitude_frames = rows;
            size_latitude_frame = frame_width;
            size_longitude_frame = frame_height;
            width_layer_image = columns * frame_width;
            height_layer_image = rows * frame_height;
        }

        int get_layer_type() const { return layer_type; }
        double get_min_latitude() const { return min_latitude; }
        double get_max_latitude() const { return max_latitude; }
        double get_min_longitude() const { return min_longitude; }
        double get_max_longitude() const { return max_longitude; }
        int get_width_layer_image() const { return width_layer_image; }
        int get_height_layer_image() const { return height_layer_image; }
        int get_count_longitude_frames() const { return count_longitude_frames; }
        int get_count_latitude_frames() const { return count_latitude_frames; }
        int get_size_longitude_frame() const { return size_longitude_frame; }
        int get_size_latitude_frame() const { return size_latitude_frame; }

    private:
        friend class layer;

        layer* owner_;
        std::int32_t layer_type = rre_layer_type;
        double min_latitude = 0.0;
        double max_latitude = 0.0;
        double min_longitude = 0.0;
        double max_longitude = 0.0;
        std::int32_t width_layer_image = 0;
        std::int32_t height_layer_image = 0;
        std::int32_t count_longitude_frames = 0;  // rows
        std::int32_t count_latitude_frames = 0;   // columns
        std::int32_t size_longitude_frame = 0;    // frame height
        std::int32_t size_latitude_frame = 0;     // frame width
        double transform[transform_size] = {};
    };

    // One entry of the frame index: where a body starts (from the base) and its length.
    class NIMBRA_API frame_entry : public platform::CObject {
    public:
        frame_entry() = default;
        frame_entry(const frame_entry&) = default;
        frame_entry& operator=(const frame_entry&) = default;

        void Serialize(platform::CArchive& ar) override;
        int get_data_offset() const { return data_offset; }
        void set_data_offset(int value) { data_offset = value; }
        int get_data_size() const { return data_size; }
        void set_data_size(int value) { data_size = value; }

    protected:
        std::int32_t data_offset = 0;
        std::int32_t data_size = 0;
    };

    class NIMBRA_API frame : public frame_entry {
    public:
        using entry = frame_entry;

        explicit frame(layer* owner);
        // Copies length bytes of data into a body of its own.
        frame(layer* owner, const void* data, std::int32_t length, std::int32_t offset);
        frame(const frame&) = delete;
        frame& operator=(const frame&) = delete;
        ~frame() override;

        entry& get_entry() { return *this; }
        std::uint8_t* get_body() const { return body.get(); }
        std::int32_t size() const { return data_size; }
        layer* get_layer() const { return owner_; }

        // pin true: the body, read from the layer's file when it is not in memory, or none.
        // pin false: lets the body go (a writer's frames keep theirs); answers none.
        std::uint8_t* fix(bool pin);

        // Whether the body lies wholly inside a file of file_length bytes whose layer starts
        // at base.
        bool lies_within(std::uint64_t base, std::uint64_t file_length) const;

    private:
        std::uint8_t* read_body();

        std::unique_ptr<std::uint8_t[]> body;
        layer* owner_;
    };

    class NIMBRA_API frame_list : public platform::CObject {
    public:
        explicit frame_list(layer* owner) : owner_(owner) {}
        frame_list(const frame_list&) = delete;
        frame_list& operator=(const frame_list&) = delete;
        ~frame_list() override;

        void Serialize(platform::CArchive& ar) override;
        std::int32_t size() const { return static_cast<std::int32_t>(items.size()); }
        bool empty() const { return items.empty(); }
        void clear();
        // The frame at index, or none outside the list.
        frame* at(std::int32_t index) const;
        void push_back(std::unique_ptr<frame> item);

        // Second half of the pixel lookup: the frame holding pixel (x, y), x given to
        // layer::operator[] just before.
        frame_iterator operator[](std::uint32_t y) const;

    private:
        friend class layer;

        layer* owner_;
        std::vector<std::unique_ptr<frame>> items;
        std::int32_t current_column = 0;
    };

    class NIMBRA_API frame_iterator {
    public:
        frame_iterator() = default;
        frame_iterator(std::int32_t index, layer* owner) : owner_(owner), index_(index) {}

        // The end position reads as 4294967295.
        std::uint32_t index() const { return static_cast<std::uint32_t>(index_); }
        layer* get_layer() const { return owner_; }

        frame_iterator& operator++();
        frame_iterator& operator--();
        // Same moves as the prefix forms, answering the iterator itself.
        frame_iterator& operator++(int) { return ++*this; }
        frame_iterator& operator--(int) { return --*this; }
        frame_iterator& operator+=(std::int32_t n);
        frame_iterator& operator-=(std::int32_t n);
        frame_iterator& right() { return ++*this; }
        frame_iterator& left() { return --*this; }
        frame_iterator& bottom();
        frame_iterator& top();

        // The frame under the iterator, or none.
        frame* operator->() const;
        frame* operator*() const { return operator->(); }

        bool operator==(const frame_iterator& other) const {
            return owner_ == other.owner_ && index_ == other.index_;
        }
        bool operator!=(const frame_iterator& other) const { return !(*this == other); }

    private:
        std::int32_t frame_count() const;

        layer* owner_ = nullptr;
        std::int32_t index_ = -1;
    };

    layer();
    layer(const layer&) = delete;
    layer& operator=(const layer&) = delete;
    ~layer() override;

    void Serialize(platform::CArchive& ar) override;

    // Reads header and index; bodies stay in the file until a frame is fixed.
    virtual bool load(const std::string& path);
    // From offset (0: the file's current position); the caller keeps the file.
    virtual bool load(platform::CFile* file, std::uint32_t offset);
    virtual bool save(const std::string& path) = 0;
    virtual bool save(platform::CFile* file) = 0;
    virtual bool close();
    virtual bool is_valid() const = 0;

    header& get_header() { return header_; }
    const header& get_header() const { return header_; }
    const frame_list& get_frames() const { return frames_; }
    std::span<const double, transform_size> get_transform() const { return header_.transform; }
    const std::string& get_file_path() const { return file_path_; }
    std::uint32_t get_base_offset() const { return base_offset_; }
    // Whether the bodies still to be read from the layer's open file fit, all together, in
    // the bytes after the index, as bodies laid back to back do. Frames that share their
    // bytes would let a small file stand for a picture many times its size. False when
    // bodies are to be read and no file can be reached (opened by its path when none is open).
    bool bodies_fit_file();

    // Indices of the frames, in index order, whose bodies are not in memory and do not lie
    // wholly inside the layer's file (a file cut short, an index pointing past its end), or
    // cannot be reached at all (no file). The file is opened by its path when none is open.
    std::vector<std::int32_t> frames_outside_file();

    frame_iterator begin();
    frame_iterator end();
    // First half of the pixel lookup: picks the frame column of pixel column x.
    frame_list& operator[](std::uint32_t x);

    // Pixel to geographic coordinates: longitude from T0..T2, latitude from T3..T5.
    void direct(const platform::CPoint* point, double* latitude, double* longitude) const;
    // In place: x becomes the latitude and y the longitude, truncated toward zero.
    void direct(platform::CPoint* point) const;
    // Geographic to pixel: column from T6..T8, row from T9..T11, truncated toward zero.
    void inverse(double latitude, double longitude, platform::CPoint* point) const;
    // In place, reading x as latitude and y as longitude.
    void inverse(platform::CPoint* point) const;

protected:
    // The layer part of serialization: where in which file the layer starts.
    void serialize_location(platform::CArchive& ar);
    // The validity rule both concrete layers apply.
    bool meets_validity_rule() const;
    double* writable_transform() { return header_.transform; }
    // Brings every non-empty body into memory; false when one cannot be read.
    bool fix_all_bodies();
    platform::CFile* open_file() const { return file_.get(); }
    // The open file, or the file opened by its path and kept as the layer's file; none when
    // neither works.
    platform::CFile* reach_file();
    void drop_file();

    header header_;
    frame_list frames_;
    std::unique_ptr<platform::CFile> file_;
    std::string file_path_;
    std::uint32_t base_offset_ = 0;
};

}  // namespace tarvel_tech::nimbra
