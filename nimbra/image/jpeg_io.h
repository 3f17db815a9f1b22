#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <exception>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

namespace platform {
class CFile;
}

namespace tarvel_tech::nimbra::jpeg_detail {

// Bytes handed to the file at a time when writing, and taken from it when reading: a
// picture is read in large blocks, since the decoder's thread is the one that cannot be
// shared out when a picture is cut into frames.
constexpr std::size_t transfer_size = 4096;
constexpr std::size_t read_transfer_size = 65536;
constexpr std::size_t last_error_size = 256;

// Everything one libjpeg call needs beside its own object: the error manager whose exit
// jumps back to the codec, the source and destination managers over a platform file, and
// the transfer buffer. A platform error raised inside libjpeg's callbacks is kept in
// `pending` and rethrown once libjpeg's object is destroyed.
struct jpeg_manager {
    explicit jpeg_manager(platform::CFile* f, std::size_t transfer = transfer_size)
        : file(f), buffer(new JOCTET[transfer]), buffer_size(transfer) {}
    jpeg_manager(const jpeg_manager&) = delete;
    jpeg_manager& operator=(const jpeg_manager&) = delete;

    jpeg_error_mgr error{};
    std::jmp_buf jump{};
    char* last_error = nullptr;
    jpeg_source_mgr source{};
    jpeg_destination_mgr destination{};
    platform::CFile* file;
    std::unique_ptr<JOCTET[]> buffer;
    std::size_t buffer_size;
    bool start_of_file = false;
    std::exception_ptr pending;

    // The source ran out and a fake end-of-image marker took its place: where the input
    // stood at that moment (scan number, iMCU row of that scan).
    bool source_dry = false;
    int dry_scan = 0;
    JDIMENSION dry_imcu_row = 0;
    // The entropy decoder needed bits and met the end of the picture (libjpeg's "premature
    // end of data segment" warning at an end-of-image marker), and where.
    bool data_missing = false;
    int missing_scan = 0;
    JDIMENSION missing_imcu_row = 0;
};

// The library's last-error text, one for each thread.
char* last_error_text();
void set_last_error(const char* text);

// Installs the error manager (exit: format the message into the last-error text, jump
// back; warnings are counted, and a premature end of data is recorded in the manager) and
// makes the manager the object's client data.
void attach_errors(j_common_ptr cinfo, jpeg_manager& m);
void attach_source(j_decompress_ptr cinfo, jpeg_manager& m);
void attach_destination(j_compress_ptr cinfo, jpeg_manager& m);

}  // namespace tarvel_tech::nimbra::jpeg_detail
