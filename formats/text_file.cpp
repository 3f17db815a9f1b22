#include "formats/text_file.h"

#include "platform/file.h"
#include "platform/replacing_file.h"

namespace formats {

bool read_text_file(const std::string& path, std::size_t limit, std::string& text, std::string& error) {
    text.clear();
    try {
        platform::CFile file;
        platform::CFileException cause;
        if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone, &cause)) {
            error = cause.what();
            return false;
        }
        const std::uint64_t length = file.GetLength();
        if (length > limit) {
            error = "the file is too large (" + std::to_string(length) + " bytes): " + path;
            return false;
        }
        text.resize(static_cast<std::size_t>(length));
        if (file.Read(text.data(), text.size()) != text.size()) {
            error = "the file ended early: " + path;
            text.clear();
            return false;
        }
    } catch (const platform::CException& e) {
        error = e.what();
        text.clear();
        return false;
    }
    return true;
}

bool write_text_file(const std::string& path, std::string_view text, std::string& error) {
    return platform::write_whole_file(path, text.data(), text.size(), error);
}

}  // namespace formats
