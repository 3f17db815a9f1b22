#include "platform/exceptions.h"

#include <cstring>

namespace platform {
namespace {

const char* file_cause_text(int cause) {
    switch (cause) {
        case CFileException::fileNotFound: return "file not found";
        case CFileException::badPath: return "bad path";
        case CFileException::tooManyOpenFiles: return "too many open files";
        case CFileException::accessDenied: return "access denied";
        case CFileException::invalidFile: return "invalid file";
        case CFileException::badSeek: return "seek failed";
        case CFileException::hardIO: return "input/output error";
        case CFileException::sharingViolation: return "sharing violation";
        case CFileException::diskFull: return "disk full";
        case CFileException::endOfFile: return "unexpected end of file";
        default: return "file error";
    }
}

std::string file_message(int cause, const std::string& path, int os_error) {
    std::string text = file_cause_text(cause);
    if (os_error != 0) text += std::string(" (") + std::strerror(os_error) + ")";
    if (!path.empty()) text += ": " + path;
    return text;
}

std::string archive_message(int cause, const std::string& path) {
    std::string text;
    switch (cause) {
        case CArchiveException::endOfFile: text = "unexpected end of file"; break;
        case CArchiveException::readOnly: text = "archive is for reading only"; break;
        case CArchiveException::writeOnly: text = "archive is for writing only"; break;
        default: text = "archive error"; break;
    }
    if (!path.empty()) text += ": " + path;
    return text;
}

}  // namespace

CFileException::CFileException(int cause, std::string path, int os_error)
    : CException(file_message(cause, path, os_error)),
      m_cause(cause),
      m_strFileName(std::move(path)),
      m_lOsError(os_error) {}

CArchiveException::CArchiveException(int cause, std::string path)
    : CException(archive_message(cause, path)), m_cause(cause), m_strFileName(std::move(path)) {}

std::string reason_of(const CException& e) {
    if (const auto* file = dynamic_cast<const CFileException*>(&e); file && file->m_lOsError)
        return std::strerror(file->m_lOsError);
    return e.what();
}

}  // namespace platform
