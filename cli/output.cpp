#include "cli/output.h"

#include <new>

#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/png_writer.h"
#include "platform/replacing_file.h"

namespace cli {

using tarvel_tech::nimbra::bmp_image;
using tarvel_tech::nimbra::image;
using tarvel_tech::nimbra::jpg_image;

namespace {

const char* extension_of(picture_kind kind) {
    switch (kind) {
        case picture_kind::png: return ".png";
        case picture_kind::bmp: return ".bmp";
        case picture_kind::jpeg: return ".jpg";
    }
    return "";
}

// libjpeg's own words for a JPEG the codec would not read or write.
std::string jpeg_reason() { return *jpg_image::get_last_error() ? jpg_image::get_last_error() : ""; }

bool is_grey_palette(const image& picture) {
    return picture.get_info().biBitCount == 8 && picture.get_palette().is_gray_scale();
}

// The picture in 24-bit colour, for writers that take no palette and no other depth.
std::unique_ptr<bmp_image> true_colour(const image& picture) {
    const int width = picture.get_info().biWidth, height = picture.get_info().biHeight;
    auto copy = std::make_unique<bmp_image>();
    if (!copy->create(width, height, 24, image::bmp_type)) throw std::bad_alloc();
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = copy->row(y);
        for (int x = 0; x < width; ++x, row += 3) {
            const tarvel_tech::nimbra::RGBQUAD c = picture.get_color(x, y);
            row[0] = c.rgbBlue;
            row[1] = c.rgbGreen;
            row[2] = c.rgbRed;
        }
    }
    return copy;
}

}  // namespace

picture_kind output_kind(const std::string& path, std::initializer_list<picture_kind> written) {
    const std::string ext = platform::lower_extension(path);
    std::string names;
    for (picture_kind kind : written) {
        if (ext == extension_of(kind) || (kind == picture_kind::jpeg && ext == ".jpeg")) return kind;
        names += names.empty() ? "" : ", ";
        names += extension_of(kind);
    }
    throw usage_error("cannot tell what to write as " + path + ": the output's extension says its kind (" + names + ")");
}

void write_output(const std::string& path, const std::function<void(platform::CFile&)>& writer) {
    platform::replacing_file file;
    platform::CFileException error;
    if (!file.Create(path, &error)) throw cannot("write", path, cause_of(error));
    try {
        writer(file);
        file.Commit();
    } catch (const platform::CException& e) {
        throw cannot("write", path, cause_of(e));
    }
}

void write_output(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    write_output(path, [&](platform::CFile& file) { file.Write(bytes.data(), bytes.size()); });
}

void write_output(const std::string& path, std::string_view text) {
    write_output(path, [&](platform::CFile& file) { file.Write(text.data(), text.size()); });
}

void write_world_file(const std::string& path, const formats::world_transform& direct) {
    std::string text, error;
    if (!formats::format_world_file(direct, text, error)) throw cannot("write", path, error);
    write_output(path, text);
}

void save_picture(image& picture, const std::string& path, picture_kind kind, int quality) {
    if (!*picture) throw cannot("write", path, "there is no picture");
    const int depth = picture.get_info().biBitCount;
    std::unique_ptr<bmp_image> converted;
    image* source = &picture;
    if (kind != picture_kind::bmp && depth != 24 && !(kind == picture_kind::jpeg && is_grey_palette(picture))) {
        converted = true_colour(picture);
        source = converted.get();
    }
    if (kind == picture_kind::png) {
        std::vector<std::uint8_t> png;
        const auto& info = source->get_info();
        if (!platform::encode_png(source->row(0), info.biWidth, info.biHeight, source->get_exinfo().line_bytes, png))
            throw cannot("write", path, "the picture cannot be encoded as PNG");
        write_output(path, png);
        return;
    }
    // The picture moves into the codec of the output for the write and back afterwards, so
    // nothing is copied and the caller's picture stays whole.
    std::unique_ptr<image> codec;
    if (kind == picture_kind::jpeg)
        codec = std::make_unique<jpg_image>();
    else
        codec = std::make_unique<bmp_image>();
    codec->take_over(*source);
    struct give_back {
        image& from;
        image& to;
        ~give_back() { to.take_over(from); }
    } const restore{*codec, *source};
    if (quality >= 0) codec->get_exinfo().quality = static_cast<std::uint8_t>(quality);
    write_output(path, [&](platform::CFile& file) {
        if (!codec->encode(&file))
            throw cannot("write", path, kind == picture_kind::jpeg ? jpeg_reason() : "the picture cannot be encoded");
    });
}

std::unique_ptr<image> load_picture(const std::string& path) {
    const std::string ext = platform::lower_extension(path);
    std::unique_ptr<image> picture;
    if (ext == ".bmp")
        picture = std::make_unique<bmp_image>();
    else if (ext == ".jpg" || ext == ".jpeg")
        picture = std::make_unique<jpg_image>();
    else
        throw usage_error("cannot tell what kind of picture " + path + " is: .bmp, .jpg and .jpeg are read");
    platform::CFile file;
    platform::CFileException error;
    if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone, &error))
        throw cannot("open", path, cause_of(error));
    try {
        if (!picture->decode(&file)) {
            const std::string reason = ext == ".bmp" ? "not a bitmap the codec reads" : jpeg_reason();
            throw cannot("read", path, reason);
        }
    } catch (const platform::CException& e) {
        throw cannot("read", path, cause_of(e));
    }
    return picture;
}

int parse_quality(const arguments& args) {
    if (!args.has("--quality")) return -1;
    const std::string text = args.get("--quality");
    int quality = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9' || quality > 100) throw usage_error("--quality takes 0 to 100");
        quality = quality * 10 + (ch - '0');
    }
    if (text.empty() || quality > 100) throw usage_error("--quality takes 0 to 100");
    return quality;
}

}  // namespace cli
