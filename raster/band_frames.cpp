#include "raster/band_frames.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>

#include "nimbra/image/band_reader.h"
#include "nimbra/image/jpg_image.h"
#include "platform/file.h"

namespace model {

using tarvel_tech::nimbra::band_reader;
using tarvel_tech::nimbra::image;
using tarvel_tech::nimbra::jpg_image;

namespace {

// Bands held at once by a pool: one being read while the others are encoded. Each is a
// frame row of the picture, so this bounds the memory whatever the picture's height.
constexpr int kMaxBands = 3;
// The rows below the last frame row are read in bands this high.
constexpr int kCheckRows = 16;
constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();

// Reads the rest of the picture, below the frames, so that a picture cut short or damaged
// there fails as it fails to load whole.
bool read_rest(band_reader& reader, image& scratch) {
    while (!reader.at_end())
        if (!reader.read_band(scratch, kCheckRows)) return false;
    return true;
}

}  // namespace

// The worker threads and what they share. Workers take the next task under the lock: reading
// the next band into a free slot (one reader at a time, in order) comes first, since nothing
// else can start without it; otherwise encoding the next frame of the oldest band read.
// Bodies wait in their frame's place until next_frame takes them.
struct band_frames::pool {
    struct slot {
        jpg_image band;
        int row = -1;  // the frame row it holds or is being read into; -1 when free
        bool ready = false;
        int next_column = 0;
        int unfinished = 0;
    };
    struct result {
        bool done = false;
        std::vector<std::uint8_t> body;
    };

    band_reader& reader;
    const frame_grid grid;
    const int quality;

    std::mutex lock;
    std::condition_variable changed;
    bool stopping = false;
    std::vector<slot> slots;
    std::vector<result> results;
    int rows_read = 0;        // frame rows handed to a reader so far
    bool reading = false;     // a worker is reading
    bool read_through = false;  // every row of the picture has been read
    std::int64_t taken = 0;   // frames next_frame has taken
    // The first frame that cannot be made, why, and whether the picture itself failed.
    std::int64_t failed_from = kNone;
    std::string failure;
    bool unreadable = false;
    std::exception_ptr thrown;
    std::vector<std::thread> workers;

    pool(band_reader& r, const frame_grid& g, int q, int threads)
        : reader(r), grid(g), quality(q), slots(static_cast<std::size_t>(std::min(kMaxBands, threads + 1))),
          results(static_cast<std::size_t>(g.frame_count())) {
        for (int i = 0; i < threads; ++i) workers.emplace_back([this] { work(); });
    }

    ~pool() {
        {
            std::lock_guard<std::mutex> hold(lock);
            stopping = true;
        }
        changed.notify_all();
        for (std::thread& t : workers) t.join();
    }

    void fail(std::int64_t frame, const std::string& why, bool picture, std::exception_ptr error) {
        if (frame >= failed_from) return;
        failed_from = frame;
        failure = why;
        unreadable = picture;
        thrown = error;
    }

    int free_slot() const {
        for (std::size_t i = 0; i < slots.size(); ++i)
            if (slots[i].row < 0) return static_cast<int>(i);
        return -1;
    }

    // Bands are read no further ahead of next_frame than the slots reach, so that bodies
    // waiting to be taken stay within a few frame rows too.
    bool may_read() const {
        return !reading && failed_from == kNone && rows_read < grid.rows &&
               rows_read < taken / grid.columns + static_cast<std::int64_t>(slots.size()) + 1;
    }

    bool must_read_rest() const { return !reading && !read_through && failed_from == kNone && rows_read == grid.rows; }

    // The oldest band read with frames left to encode, or -1.
    int encodable_slot() const {
        int best = -1;
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const slot& s = slots[i];
            if (s.ready && s.next_column < grid.columns && (best < 0 || s.row < slots[best].row))
                best = static_cast<int>(i);
        }
        return best;
    }

    void work() {
        std::unique_lock<std::mutex> held(lock);
        for (;;) {
            if (stopping) return;
            int i = -1;
            if (may_read() && (i = free_slot()) >= 0) {
                read_band(held, slots[static_cast<std::size_t>(i)]);
            } else if (must_read_rest()) {
                read_rest_of_picture(held);
            } else if ((i = encodable_slot()) >= 0) {
                encode(held, slots[static_cast<std::size_t>(i)]);
            } else {
                changed.wait(held);
            }
        }
    }

    void read_band(std::unique_lock<std::mutex>& held, slot& s) {
        reading = true;
        s.row = rows_read++;
        held.unlock();
        bool read = false;
        std::exception_ptr error;
        try {
            read = reader.read_band(s.band, grid.frame_height);
        } catch (...) {
            error = std::current_exception();
        }
        held.lock();
        reading = false;
        if (read) {
            s.ready = true;
            s.next_column = 0;
            s.unfinished = grid.columns;
            if (s.row + 1 == grid.rows && reader.at_end()) read_through = true;
        } else {
            fail(std::int64_t{s.row} * grid.columns, reader.get_error(), true, error);
            s.row = -1;
        }
        changed.notify_all();
    }

    void read_rest_of_picture(std::unique_lock<std::mutex>& held) {
        reading = true;
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
        reading = false;
        if (read)
            read_through = true;
        else
            fail(grid.frame_count() - 1, reader.get_error(), true, error);
        changed.notify_all();
    }

    void encode(std::unique_lock<std::mutex>& held, slot& s) {
        const int column = s.next_column++;
        const std::int64_t frame = std::int64_t{s.row} * grid.columns + column;
        held.unlock();
        std::vector<std::uint8_t> body;
        std::string why;
        bool encoded = false;
        std::exception_ptr error;
        try {
            encoded = encode_frame(s.band, column * grid.frame_width, 0, grid.frame_width, grid.frame_height, quality,
                                   body, why);
        } catch (...) {
            error = std::current_exception();
        }
        held.lock();
        if (encoded) {
            results[static_cast<std::size_t>(frame)].body = std::move(body);
            results[static_cast<std::size_t>(frame)].done = true;
        } else {
            fail(frame, why, false, error);
        }
        if (--s.unfinished == 0) {
            s.row = -1;
            s.ready = false;
        }
        changed.notify_all();
    }

    // The next frame's body, once it is there; false from the first frame that cannot be
    // made on. The last frame also waits until the whole picture has been read.
    bool take(std::int64_t frame, std::vector<std::uint8_t>& body, std::string& why, bool& picture) {
        std::unique_lock<std::mutex> held(lock);
        result& r = results[static_cast<std::size_t>(frame)];
        const bool last = frame + 1 == grid.frame_count();
        changed.wait(held, [&] { return frame >= failed_from || (r.done && (!last || read_through)); });
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
        body.swap(r.body);
        std::vector<std::uint8_t>().swap(r.body);
        taken = frame + 1;
        changed.notify_all();
        return true;
    }
};

int band_frames::default_threads() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

std::unique_ptr<band_frames> band_frames::open(const std::string& path, picture_kind kind, int quality, int threads,
                                               std::string& error) {
    std::unique_ptr<band_reader> reader;
    switch (kind) {
        case picture_kind::jpeg: reader = std::make_unique<tarvel_tech::nimbra::jpg_band_reader>(); break;
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
