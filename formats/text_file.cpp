#include "formats/text_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file.h"
#include "platform/path.h"

namespace formats {
namespace {

std::string os_error(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// A name of its own beside the target for the file being written.
int create_temporary(const std::string& path, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = platform::directory_part(path);
    const std::string name = platform::file_name_part(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(::getpid()) + "." +
                    std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

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
    std::string temporary;
    const int fd = create_temporary(path, temporary);
    if (fd < 0) {
        error = os_error("cannot create a file beside", path);
        return false;
    }
    bool written = true;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = os_error("cannot write", temporary);
            written = false;
        } else {
            done += static_cast<std::size_t>(n);
        }
    }
    if (written && ::fsync(fd) != 0) {
        error = os_error("cannot write", temporary);
        written = false;
    }
    if (::close(fd) != 0 && written) {
        error = os_error("cannot write", temporary);
        written = false;
    }
    if (written && std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = os_error("cannot replace", path);
        written = false;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The new name is on disk only once the folder is.
    const std::string folder = platform::directory_part(path);
    const int folder_fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd >= 0) {
        ::fsync(folder_fd);
        ::close(folder_fd);
    }
    return true;
}

}  // namespace formats
