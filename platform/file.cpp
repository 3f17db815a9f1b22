#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/path.h"

namespace platform {
int file_cause_of(int os_error, int fallback) {
    switch (os_error) {
        case ENOENT: return CFileException::fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG: return CFileException::badPath;
        case EACCES:
        case EPERM:
        case EROFS: return CFileException::accessDenied;
        case EMFILE:
        case ENFILE: return CFileException::tooManyOpenFiles;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return CFileException::diskFull;
        case EINVAL:
        case ESPIPE:
        case EOVERFLOW: return CFileException::badSeek;
        case EIO: return CFileException::hardIO;
        default: return fallback;
    }
}

CFile::~CFile() {
    if (m_fd >= 0) ::close(m_fd);
}

bool CFile::Open(const std::string& path, unsigned flags, CFileException* error) {
    if (m_fd >= 0) Close();
    int oflags = O_CLOEXEC;
    switch (flags & 3u) {
        case modeWrite: oflags |= O_WRONLY; break;
        case modeReadWrite: oflags |= O_RDWR; break;
        default: oflags |= O_RDONLY; break;
    }
    if (flags & modeCreate) {
        oflags |= O_CREAT;
        if (!(flags & modeNoTruncate)) oflags |= O_TRUNC;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), oflags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (error) *error = CFileException(file_cause_of(errno, CFileException::genericException), path, errno);
        return false;
    }
    // Directories open for reading on Linux but are no files for the system.
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (error) *error = CFileException(CFileException::accessDenied, path, EISDIR);
        return false;
    }
    m_fd = fd;
    m_strFilePath = absolute_path(path);
    return true;
}

void CFile::Close() {
    if (m_fd < 0) return;
    int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) ThrowOsError(CFileException::hardIO);
}

std::size_t CFile::Read(void* buffer, std::size_t count) {
    if (m_fd < 0) throw CFileException(CFileException::invalidFile, m_strFilePath);
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        ssize_t got = ::read(m_fd, out + done, count - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(CFileException::hardIO);
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void CFile::Write(const void* buffer, std::size_t count) {
    if (m_fd < 0) throw CFileException(CFileException::invalidFile, m_strFilePath);
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        ssize_t put = ::write(m_fd, in + done, count - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(CFileException::hardIO);
        }
        if (put == 0) throw CFileException(CFileException::diskFull, m_strFilePath);
        done += static_cast<std::size_t>(put);
    }
}

std::uint64_t CFile::Seek(std::int64_t offset, SeekPosition from) {
    if (m_fd < 0) throw CFileException(CFileException::invalidFile, m_strFilePath);
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    off_t pos = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (pos < 0) ThrowOsError(CFileException::badSeek);
    return static_cast<std::uint64_t>(pos);
}

std::uint64_t CFile::GetLength() const {
    if (m_fd < 0) throw CFileException(CFileException::invalidFile, m_strFilePath);
    struct stat st{};
    if (::fstat(m_fd, &st) != 0) ThrowOsError(CFileException::hardIO);
    return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t CFile::GetPosition() const {
    if (m_fd < 0) throw CFileException(CFileException::invalidFile, m_strFilePath);
    off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0) ThrowOsError(CFileException::badSeek);
    return static_cast<std::uint64_t>(pos);
}

void CFile::Flush() {}

void CFile::Attach(int fd, const std::string& path) {
    if (m_fd >= 0) Close();
    m_fd = fd;
    m_strFilePath = path;
}

std::string CFile::GetFileName() const { return file_name_part(m_strFilePath); }

void CFile::ThrowOsError(int cause_if_unknown) const {
    int err = errno;
    throw CFileException(file_cause_of(err, cause_if_unknown), m_strFilePath, err);
}

}  // namespace platform
