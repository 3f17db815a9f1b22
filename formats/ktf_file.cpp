#include "formats/ktf_file.h"

#include <new>

#include "formats/ktf_text_codec.h"
#include "platform/file.h"

namespace formats {
namespace {

constexpr std::string_view header = "$qzLinerExport";
constexpr std::string_view utf8_mark = "\xEF\xBB\xBF";

}  // namespace

CKTFFile::CKTFFile(const std::string& path) { Load(path); }

std::int32_t CKTFFile::Load(const std::string& path) {
    group = CKTFLayerGroup();
    lineCount = errorLine = reserved = 0;
    m_bHeaderRead = false;
    std::string text;
    try {
        platform::CFile file;
        if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone))
            return status = statusCannotRead;
        const std::uint64_t length = file.GetLength();
        if (length > maxTextLength) return status = statusNoMemory;
        text.resize(static_cast<std::size_t>(length));
        if (file.Read(text.data(), text.size()) != text.size()) return status = statusCannotRead;
    } catch (const platform::CException&) {
        return status = statusCannotRead;
    } catch (const std::bad_alloc&) {
        return status = statusNoMemory;
    }
    return Parse(text);
}

std::int32_t CKTFFile::Parse(std::string_view text) {
    status = errorLine = reserved = lineCount = 0;
    text = text.substr(0, text.find('\0'));
    bool utf8 = false;
    if (text.starts_with(utf8_mark)) {
        text.remove_prefix(utf8_mark.size());
        utf8 = true;
    }
    m_bHeaderRead = false;
    if (!text.starts_with(header)) return Fail(statusBadText);
    m_bHeaderRead = true;
    // Parsing starts on the line after the header.
    const auto feed = text.find('\n');
    text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);

    try {
        const ktf_text_codec codec(utf8 || ktf_text_codec::is_utf8(text));
        m_pCodec = &codec;
        ParseLines(text);
        m_pCodec = nullptr;
    } catch (const std::bad_alloc&) {
        m_pCodec = nullptr;
        return Fail(statusNoMemory);
    }
    return status;
}

std::int32_t CKTFFile::GetErrorFileLine() const {
    if (status == statusParsed || status == statusCannotRead || status == statusNoMemory) return 0;
    return m_bHeaderRead ? GetErrorTextLine() + 1 : 1;
}

std::int32_t CKTFFile::ParseLine(const std::string& line, line_context& context) {
    // Every other line before, between or after groups is skipped.
    if (line != "LayerGroup") return 0;
    return ParseNested(group, context);
}

}  // namespace formats
