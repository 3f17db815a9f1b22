#include "platform/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/path.h"

namespace platform {
namespace {

// Writing through a symbolic link writes the file it names, and the replacement goes beside
// that file, so the link stays a link.
std::string resolve_links(const std::string& path) {
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
    return path;
}

int open_retrying(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void sync_folder(const std::string& file) {
    const std::string folder = directory_part(file);
    const int fd = open_retrying(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

replacing_file::~replacing_file() { Discard(); }

bool replacing_file::Create(const std::string& target, CFileException* error) {
    Discard();
    m_strTarget = resolve_links(target);
    struct stat st{};
    if (::stat(m_strTarget.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) {
            if (error) *error = CFileException(CFileException::accessDenied, target, EISDIR);
            return false;
        }
        const int fd = open_retrying(m_strTarget.c_str(), O_WRONLY | O_CLOEXEC, 0);
        if (fd < 0) {
            if (error) *error = CFileException(file_cause_of(errno, CFileException::genericException), target, errno);
            return false;
        }
        Attach(fd, m_strTarget);
        return true;
    }

    static std::atomic<unsigned> counter{0};
    const std::string folder = directory_part(m_strTarget);
    const std::string name = file_name_part(m_strTarget);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = folder + "." + name + "." + std::to_string(::getpid()) + "." +
                                std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = open_retrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_strTemporary = std::move(temporary);
            Attach(fd, m_strTemporary);
            return true;
        }
        if (errno != EEXIST) break;
    }
    if (error) *error = CFileException(file_cause_of(errno, CFileException::genericException), target, errno);
    return false;
}

void replacing_file::Write(const void* buffer, std::size_t count) {
    CFile::Write(buffer, count);
    if (m_strTemporary.empty()) return;
    constexpr std::size_t kWritebackStep = std::size_t{1} << 20;
    m_nNotStarted += count;
    if (m_nNotStarted < kWritebackStep) return;
    m_nNotStarted = 0;
#ifdef __linux__
    // Only a hint: whatever it answers, Commit's fsync decides.
    ::sync_file_range(GetHandle(), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

void replacing_file::Commit() {
    if (!IsOpen()) throw CFileException(CFileException::invalidFile, m_strTarget);
    // A device or a pipe cannot be synchronised; its write errors have been raised already.
    if (::fsync(GetHandle()) != 0 && !(m_strTemporary.empty() && (errno == EINVAL || errno == EROFS)))
        ThrowOsError(CFileException::hardIO);
    Close();
    if (m_strTemporary.empty()) return;
    if (std::rename(m_strTemporary.c_str(), m_strTarget.c_str()) != 0) {
        const int cause = errno;
        Discard();
        throw CFileException(file_cause_of(cause, CFileException::genericException), m_strTarget, cause);
    }
    m_strTemporary.clear();
    // The new name lasts only once the folder holding it is on disk too.
    sync_folder(m_strTarget);
}

void replacing_file::Discard() noexcept {
    try {
        Close();
    } catch (const CException&) {
    }
    if (!m_strTemporary.empty()) {
        ::unlink(m_strTemporary.c_str());
        m_strTemporary.clear();
    }
}

bool write_whole_file(const std::string& path, const void* data, std::size_t size, std::string& error) {
    replacing_file file;
    CFileException cause;
    if (!file.Create(path, &cause)) {
        error = cause.what();
        return false;
    }
    try {
        file.Write(data, size);
        file.Commit();
    } catch (const CException& e) {
        error = e.what();
        return false;
    }
    return true;
}

}  // namespace platform
