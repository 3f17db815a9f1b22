#include "raster/band_frames.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>

#include "nimbra/image/band_reader.h"
#include "nimbra/image/jpg_image.h"
#include "nimbra/image/ycc_band.h"
#include "platform/file.h"

namespace model {

using tarvel_tech::nimbra::band_reader;
using tarvel_tech::nimbra::image;
using tarvel_tech::nimbra::jpg_band_reader;
using tarvel_tech::nimbra::jpg_image;
using tarvel_tech::nimbra::ycc_band;

namespace {

// Bands held at once by a pool: one being read while the others are encoded. Each is a
// frame row of the picture, so this bounds the memory whatever the picture's height.
constexpr int kMaxBands = 3;
// The rows below the last frame row are read in bands this high.
constexpr int kCheckRows = 16;
constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
// The row of a slot that holds no band, and of one still being made.
constexpr int kFree = -1;
constexpr int kPreparing = -2;

// Reads the rest of the picture, below the frames, so that a picture cut short or damaged
// there fails as it fails to load whole.
bool read_rest(band_reader& reader, image& scratch) {
    while (!reader.at_end())
        if (!reader.read_band(scratch, kCheckRows)) return false;
    return true;
}

}  // namespace

// The threads and what they share. One thread reads: band after band into free slots, in
// order, then the rows below the frames; reading is the one part that cannot be shared out,
// so when it has no free slot it encodes frames rather than wait, and once everything is read
// it helps encode the last band. The frames are encoded in index order by whoever comes for
// one: the thread asking for frames (next_frame) encodes while its frame is not there, and
// any further threads encode beside it. A slot is free again once every frame of its band is
// encoded; bodies wait in their frame's place until taken. A colour JPEG is read as its
// planes of luma and chroma, so that smoothing the chroma and turning the planes into pixels
// (a part of the decoding that can be shared out) is done frame by frame by the encoders.
struct band_frames::pool {
    struct slot {
        jpg_image band;
        ycc_band planes;
        int row = kFree;  // the frame row it holds or is being read into, else kFree or kPreparing
        bool ready = false;
        int unfinished = 0;  // frames of the band not yet encoded
    };
    struct result {
        bool done = false;
        std::vector<std::uint8_t> body;
    };

    band_reader& reader;
    jpg_band_reader* const planar;  // the reader when it gives planes
    const frame_grid grid;
    const int quality;

    std::mutex lock;
    std::condition_variable slot_freed;   // the reader waits for this
    std::condition_variable frames_moved;  // a band read, a frame encoded, a failure
    bool stopping = false;
    std::vector<slot> slots;
    std::vector<result> results;
    int rows_read = 0;          // frame rows handed to the reader so far
    bool read_through = false;  // every row of the picture has been read
    std::int64_t claimed = 0;   // frames an encoder has started on
    std::int64_t taken = 0;     // frames next_frame has taken
    // The first frame that cannot be made, why, and whether the picture itself failed.
    std::int64_t failed_from = kNone;
    std::string failure;
    bool unreadable = false;
    std::exception_ptr thrown;
    std::thread reading;
    std::vector<std::thread> encoders;

    pool(band_reader& r, const frame_grid& g, int q, int threads)
        : reader(r), planar(planar_reader(r)), grid(g), quality(q), slots(static_cast<std::size_t>(std::min(kMaxBands, threads + 1))),
          results(static_cast<std::size_t>(g.frame_count())) {
        for (std::size_t i = 1; i < slots.size(); ++i) slots[i].row = kPreparing;
        reading = std::thread([this] { read_all(); });
        for (int i = 2; i < threads; ++i) encoders.emplace_back([this] { encode_all(); });
        // While the first band is read, the other slots are made here: touching a band's
        // memory for the first time is no small part of reading it.
        const auto& header = reader.get_header();
        for (std::size_t i = 1; i < slots.size(); ++i) {
            if (planar) {
                planar->prepare_ycc_band(slots[i].planes, grid.frame_height);
            } else {
                jpg_image& band = slots[i].band;
                if (band.create(header.width, grid.frame_height, header.bit_count, header.image_type))
                    std::fill(band.row(0), band.row(0) + band.get_info().biSizeImage, std::uint8_t{0});
            }
            std::lock_guard<std::mutex> hold(lock);
            slots[i].row = kFree;
            slot_freed.notify_one();
        }
    }

    ~pool() {
        {
            std::lock_guard<std::mutex> hold(lock);
            stopping = true;
        }
        slot_freed.notify_all();
        frames_moved.notify_all();
        reading.join();
        for (std::thread& t : encoders) t.join();
    }

    void fail(std::int64_t frame, const std::string& why, bool picture, std::exception_ptr error) {
        if (frame >= failed_from) return;
        failed_from = frame;
        failure = why;
        unreadable = picture;
        thrown = error;
        frames_moved.notify_all();
        slot_freed.notify_all();
    }

    int free_slot() const {
        for (std::size_t i = 0; i < slots.size(); ++i)
            if (slots[i].row == kFree) return static_cast<int>(i);
        return -1;
    }

    // The slot holding the band of a frame row once it has been read, or null.
    slot* band_of(std::int64_t row) {
        for (slot& s : slots)
            if (s.ready && s.row == row) return &s;
        return nullptr;
    }

    static jpg_band_reader* planar_reader(band_reader& r) {
        auto* jpeg = dynamic_cast<jpg_band_reader*>(&r);
        return jpeg && jpeg->gives_planes() ? jpeg : nullptr;
    }

    // Bands are read no further ahead of next_frame than the slots reach, so that bodies
    // waiting to be taken stay within a few frame rows too.
    bool may_read() const { return rows_read < taken / grid.columns + static_cast<std::int64_t>(slots.size()) + 1; }

    void read_all() {
        std::unique_lock<std::mutex> held(lock);
        while (rows_read < grid.rows) {
            int i = -1;
            // With no slot to read into, frames are encoded meanwhile rather than waited for.
            while (!stopping && failed_from == kNone && !(may_read() && (i = free_slot()) >= 0))
                if (slot* s = next_to_encode())
                    encode(held, *s);
                else
                    slot_freed.wait(held);
            if (stopping || failed_from != kNone) return;
            slot& s = slots[static_cast<std::size_t>(i)];
            s.row = rows_read++;
            held.unlock();
            bool read = false;
            std::exception_ptr error;
            try {
                read = planar ? planar->read_ycc_band(s.planes, grid.frame_height)
                              : reader.read_band(s.band, grid.frame_height);
            } catch (...) {
                error = std::current_exception();
            }
            held.lock();
            if (!read) {
                fail(std::int64_t{s.row} * grid.columns, reader.get_error(), true, error);
                s.row = kFree;
                return;
            }
            s.ready = true;
            s.unfinished = grid.columns;
            frames_moved.notify_all();
        }
        held.unlock();
        bool read = false;
        std::exception_ptr error;
        try {
            jpg_image scratch;
            read = read_rest(reader, scratch);
        } catch (...) {
            error = std::current_exception();
        }
        held.lock();
        if (!read) {
            fail(grid.frame_count() - 1, reader.get_error(), true, error);
            return;
        }
        read_through = true;
        frames_moved.notify_all();
        // Nothing is left to read: the last band's frames go faster with one more encoder.
        while (!stopping)
            if (slot* s = next_to_encode())
                encode(held, *s);
            else
                return;
    }

    // The band of the next frame to encode, when that frame can be started.
    slot* next_to_encode() {
        if (claimed >= grid.frame_count() || claimed >= failed_from) return nullptr;
        return band_of(claimed / grid.columns);
    }

    void encode_all() {
        std::unique_lock<std::mutex> held(lock);
        for (;;) {
            slot* s = nullptr;
            frames_moved.wait(held, [&] { return stopping || (s = next_to_encode()) != nullptr; });
            if (stopping) return;
            encode(held, *s);
        }
    }

    // Encodes the next frame, of the band in s, into its place.
    void encode(std::unique_lock<std::mutex>& held, slot& s) {
        const std::int64_t frame = claimed++;
        const int column = static_cast<int>(frame % grid.columns);
        held.unlock();
        std::vector<std::uint8_t> body;
        std::string why;
        bool encoded = false;
        std::exception_ptr error;
        try {
            encoded = planar ? encode_planes(s.planes, column, body, why)
                             : encode_frame(s.band, column * grid.frame_width, 0, grid.frame_width, grid.frame_height,
                                            quality, body, why);
        } catch (...) {
            error = std::current_exception();
        }
        held.lock();
        if (encoded) {
            results[static_cast<std::size_t>(frame)].body = std::move(body);
            results[static_cast<std::size_t>(frame)].done = true;
            frames_moved.notify_all();
        } else {
            fail(frame, why, false, error);
        }
        if (--s.unfinished == 0) {
            s.row = kFree;
            s.ready = false;
            slot_freed.notify_one();
        }
    }

    bool encode_planes(const ycc_band& planes, int column, std::vector<std::uint8_t>& body, std::string& why) const {
        jpg_image frame;
        if (!planes.to_bgr(column * grid.frame_width, grid.frame_width, frame)) {
            why = "no memory is left for the frame";
            return false;
        }
        return encode_frame(frame, quality, body, why);
    }

    // The next frame's body, once it is there, encoding frames meanwhile; false from the
    // first frame that cannot be made on. The last frame also waits until the whole picture
    // has been read.
    bool take(std::int64_t frame, std::vector<std::uint8_t>& body, std::string& why, bool& picture) {
        std::unique_lock<std::mutex> held(lock);
        result& r = results[static_cast<std::size_t>(frame)];
        const bool last = frame + 1 == grid.frame_count();
        for (;;) {
            if (frame >= failed_from) {
                why = failure;
                picture = unreadable;
                if (thrown) {
                    std::exception_ptr error = thrown;
                    thrown = nullptr;
                    std::rethrow_exception(error);
                }
                return false;
            }
            if (r.done && (!last || read_through)) break;
            if (slot* s = r.done ? nullptr : next_to_encode())
                encode(held, *s);
            else
                frames_moved.wait(held);
        }
        body.swap(r.body);
        std::vector<std::uint8_t>().swap(r.body);
        taken = frame + 1;
        if (taken % grid.columns == 0) slot_freed.notify_one();
        return true;
    }
};

int band_frames::default_threads() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

std::unique_ptr<band_frames> band_frames::open(const std::string& path, picture_kind kind, int quality, int threads,
                                               std::string& error) {
    std::unique_ptr<band_reader> reader;
    switch (kind) {
        case picture_kind::jpeg: {
            auto jpeg = std::make_unique<jpg_band_reader>();
            // Planes pay only when other threads turn them into pixels.
            jpeg->prefer_planes((threads < 1 ? default_threads() : threads) > 1);
            reader = std::move(jpeg);
            break;
        }
        case picture_kind::bitmap: reader = std::make_unique<tarvel_tech::nimbra::bmp_band_reader>(); break;
        case picture_kind::none: error = "not a JPEG or BMP picture"; return nullptr;
    }
    auto file = std::make_unique<platform::CFile>();
    platform::CFileException cause;
    if (!file->Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone, &cause)) {
        error = cause.what();
        return nullptr;
    }
    if (!reader->open(file.get())) {
        error = reader->get_error();
        return nullptr;
    }
    return std::make_unique<band_frames>(std::move(file), std::move(reader), quality, threads);
}

band_frames::band_frames(std::unique_ptr<platform::CFile> file, std::unique_ptr<band_reader> reader, int quality,
                         int threads)
    : file_(std::move(file)), reader_(std::move(reader)), quality_(quality),
      threads_(threads < 1 ? default_threads() : threads) {}

band_frames::~band_frames() = default;

int band_frames::get_width() const { return reader_->get_header().width; }

int band_frames::get_height() const { return reader_->get_header().height; }

bool band_frames::start(const frame_grid& grid) {
    if (started_ || grid.empty() || grid.covered_width() > get_width() || grid.covered_height() > get_height()) {
        error_ = "the frames do not lie within the picture";
        return false;
    }
    started_ = true;
    grid_ = grid;
    if (threads_ > 1)
        pool_ = std::make_unique<pool>(*reader_, grid_, quality_, threads_);
    else
        band_ = std::make_unique<jpg_image>();
    return true;
}

bool band_frames::read_failed() {
    error_ = reader_->get_error();
    unreadable_ = true;
    return false;
}

bool band_frames::next_frame_here(std::vector<std::uint8_t>& body) {
    const int row = static_cast<int>(next_ / grid_.columns);
    const int column = static_cast<int>(next_ % grid_.columns);
    ++next_;
    if (column == 0) {
        if (!reader_->read_band(*band_, grid_.frame_height)) return read_failed();
        if (row + 1 == grid_.rows) {
            jpg_image scratch;
            if (!read_rest(*reader_, scratch)) return read_failed();
        }
    }
    return encode_frame(*band_, column * grid_.frame_width, 0, grid_.frame_width, grid_.frame_height, quality_, body,
                        error_);
}

bool band_frames::next_frame(std::vector<std::uint8_t>& body) {
    if (!started_ || next_ >= grid_.frame_count()) {
        error_ = started_ ? "every frame has been given" : "the frames were asked for before the grid";
        return false;
    }
    if (!pool_) return next_frame_here(body);
    return pool_->take(next_++, body, error_, unreadable_);
}

}  // namespace model
