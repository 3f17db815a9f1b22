#include "nimbra/image/jpeg_io.h"

#include <cstring>

#include "platform/file.h"

namespace tarvel_tech::nimbra::jpeg_detail {
namespace {

// Each thread has its own, so that frames encoded side by side report their own failures.
thread_local char last_error[last_error_size];

jpeg_manager& manager_of(j_common_ptr cinfo) { return *static_cast<jpeg_manager*>(cinfo->client_data); }

[[noreturn]] void error_exit(j_common_ptr cinfo) {
    jpeg_manager& m = manager_of(cinfo);
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    set_last_error(message);
    std::longjmp(m.jump, 1);
}

// The library shows nothing; warnings only count, except that the decoders want to know
// when the entropy-coded data stopped short of what the picture needs.
void output_message(j_common_ptr) {}

void emit_message(j_common_ptr cinfo, int level) {
    if (level >= 0) return;  // trace messages
    ++cinfo->err->num_warnings;
    jpeg_manager& m = manager_of(cinfo);
    if (cinfo->err->msg_code != JWRN_HIT_MARKER || !cinfo->is_decompressor || m.data_missing) return;
    // The entropy decoder wanted bits and found the end of the picture instead (the file's or
    // the one the source supplies when the file ends). Other markers there are corruption
    // that libjpeg gets over.
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->unread_marker == JPEG_EOI) {
        m.data_missing = true;
        m.missing_scan = d->input_scan_number;
        m.missing_imcu_row = d->input_iMCU_row;
    }
}

void init_source(j_decompress_ptr cinfo) { manager_of(reinterpret_cast<j_common_ptr>(cinfo)).start_of_file = true; }

boolean fill_input_buffer(j_decompress_ptr cinfo) {
    jpeg_manager& m = manager_of(reinterpret_cast<j_common_ptr>(cinfo));
    std::size_t got = 0;
    // Nothing with a destructor may be alive when libjpeg jumps out of here, so the
    // platform's exception is parked and the jump happens outside the handler.
    try {
        got = m.file->Read(m.buffer.get(), m.buffer_size);
    } catch (...) {
        m.pending = std::current_exception();
    }
    if (m.pending) ERREXIT(cinfo, JERR_FILE_READ);
    if (got == 0) {
        if (m.start_of_file) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        if (!m.source_dry) {
            m.source_dry = true;
            m.dry_scan = cinfo->input_scan_number;
            m.dry_imcu_row = cinfo->input_iMCU_row;
        }
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // A fake end-of-image marker lets libjpeg wind down; whether rows went missing is
        // judged from what the manager recorded.
        m.buffer[0] = 0xFF;
        m.buffer[1] = JPEG_EOI;
        got = 2;
    }
    m.source.next_input_byte = m.buffer.get();
    m.source.bytes_in_buffer = got;
    m.start_of_file = false;
    return TRUE;
}

void skip_input_data(j_decompress_ptr cinfo, long num_bytes) {
    jpeg_source_mgr* src = cinfo->src;
    if (num_bytes <= 0) return;
    while (num_bytes > static_cast<long>(src->bytes_in_buffer)) {
        num_bytes -= static_cast<long>(src->bytes_in_buffer);
        fill_input_buffer(cinfo);
    }
    src->next_input_byte += num_bytes;
    src->bytes_in_buffer -= static_cast<std::size_t>(num_bytes);
}

void term_source(j_decompress_ptr) {}

void write_out(j_compress_ptr cinfo, std::size_t count) {
    jpeg_manager& m = manager_of(reinterpret_cast<j_common_ptr>(cinfo));
    try {
        m.file->Write(m.buffer.get(), count);
    } catch (...) {
        m.pending = std::current_exception();
    }
    if (m.pending) ERREXIT(cinfo, JERR_FILE_WRITE);
}

void init_destination(j_compress_ptr cinfo) {
    jpeg_manager& m = manager_of(reinterpret_cast<j_common_ptr>(cinfo));
    m.destination.next_output_byte = m.buffer.get();
    m.destination.free_in_buffer = m.buffer_size;
}

boolean empty_output_buffer(j_compress_ptr cinfo) {
    write_out(cinfo, manager_of(reinterpret_cast<j_common_ptr>(cinfo)).buffer_size);
    init_destination(cinfo);
    return TRUE;
}

void term_destination(j_compress_ptr cinfo) {
    jpeg_manager& m = manager_of(reinterpret_cast<j_common_ptr>(cinfo));
    const std::size_t count = m.buffer_size - m.destination.free_in_buffer;
    if (count) write_out(cinfo, count);
    try {
        m.file->Flush();
    } catch (...) {
        m.pending = std::current_exception();
    }
    if (m.pending) ERREXIT(cinfo, JERR_FILE_WRITE);
}

}  // namespace

char* last_error_text() { return last_error; }

void set_last_error(const char* text) {
    std::strncpy(last_error, text, last_error_size - 1);
    last_error[last_error_size - 1] = '\0';
}

void attach_errors(j_common_ptr cinfo, jpeg_manager& m) {
    cinfo->err = jpeg_std_error(&m.error);
    m.error.error_exit = error_exit;
    m.error.output_message = output_message;
    m.error.emit_message = emit_message;
    m.last_error = last_error;
    cinfo->client_data = &m;
}

void attach_source(j_decompress_ptr cinfo, jpeg_manager& m) {
    m.source.init_source = init_source;
    m.source.fill_input_buffer = fill_input_buffer;
    m.source.skip_input_data = skip_input_data;
    m.source.resync_to_restart = jpeg_resync_to_restart;
    m.source.term_source = term_source;
    m.source.bytes_in_buffer = 0;
    m.source.next_input_byte = nullptr;
    cinfo->src = &m.source;
}

void attach_destination(j_compress_ptr cinfo, jpeg_manager& m) {
    m.destination.init_destination = init_destination;
    m.destination.empty_output_buffer = empty_output_buffer;
    m.destination.term_destination = term_destination;
    cinfo->dest = &m.destination;
}

}  // namespace tarvel_tech::nimbra::jpeg_detail
