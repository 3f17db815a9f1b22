#include "raster/embedded_layer.h"

#include <cmath>
#include <memory>

#include "georef/tr_rss.h"
#include "platform/endian.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/mem_file.h"

namespace model {
namespace {

// The host file as the embedded layer sees it: reads and seeks go to the open document,
// which closing the view leaves open.
class host_file_view : public platform::CFile {
public:
    explicit host_file_view(platform::CFile& host) : host_(host) { m_strFilePath = host.GetFilePath(); }

    bool Open(const std::string&, unsigned, platform::CFileException*) override { return false; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    std::size_t Read(void* buffer, std::size_t count) override { return host_.Read(buffer, count); }
    void Write(const void*, std::size_t) override {
        throw platform::CFileException(platform::CFileException::accessDenied, GetFilePath());
    }
    std::uint64_t Seek(std::int64_t offset, SeekPosition from) override { return host_.Seek(offset, from); }
    std::uint64_t GetLength() const override { return host_.GetLength(); }
    std::uint64_t GetPosition() const override { return host_.GetPosition(); }
    void Flush() override {}

private:
    platform::CFile& host_;
};

}  // namespace

bool embedded_rre_layer::load_embedded(platform::CFile& document) {
    if (!load(&document, 0)) return false;
    file_ = std::make_unique<host_file_view>(document);
    return true;
}

void set_rre_coefficients(georef::CTrRSS& tr, std::span<const double, 12> t) {
    // f0 = cos(theta) sx, f1 = sin(theta) sx, f3 = -sin(theta) sy, f4 = cos(theta) sy.
    const double theta = std::atan2(t[1], t[0]);
    const double c = std::cos(theta), s = std::sin(theta);
    const double sx = std::hypot(t[0], t[1]);
    const double sy = t[4] * c - t[3] * s;
    // The record of the map document is the one way in that takes coefficients as they
    // are, beside the parameters, and marks the transformation fitted.
    const double record[22] = {t[2], t[0], t[1], t[2], theta, t[5], t[3], t[4], t[5], sx, t[6],
                               t[7], t[8], sy,   t[9], t[10], t[11], 0.0, 0.0, 0.0, 1.0, 1.0};
    std::uint8_t bytes[sizeof record];
    for (std::size_t i = 0; i < 22; ++i) platform::endian::put_le_double(bytes + 8 * i, record[i]);
    platform::CMemFile file(static_cast<const std::uint8_t*>(bytes), sizeof bytes);
    tr.Read(file);
}

}  // namespace model
