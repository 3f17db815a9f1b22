#include "fuzz/input_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/ui_service.h"

namespace fuzz {
namespace {

[[noreturn]] void fail(const std::string& what) {
    std::perror(what.c_str());
    std::abort();
}

// One folder per process, removed at exit with what it holds. The name lives on past the
// static destructors, which run before the exit handler.
const std::string& private_folder() {
    static const std::string* folder = [] {
        // scripts/fuzz names a scratch folder of its own, so that a run stopped by a finding
        // leaves nothing behind once the script ends.
        const char* scratch = std::getenv("PLOTWRIGHT_FUZZ_SCRATCH");
        std::string base = scratch && *scratch ? scratch : "/dev/shm";
        if (::access(base.c_str(), W_OK) != 0) {
            const char* tmp = std::getenv("TMPDIR");
            base = tmp && *tmp ? tmp : "/tmp";
        }
        std::string pattern = base + "/plotwright-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) fail("mkdtemp " + pattern);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(private_folder(), ignored);
        });
        return new std::string(pattern);
    }();
    return *folder;
}

class quiet_ui : public platform::CUIService {
public:
    int MessageBox(const std::string&, const std::string&, unsigned type) override {
        return platform::DefaultAnswer(type);
    }
};

}  // namespace

input_file::input_file(const std::string& name) : m_strPath(private_folder() + "/" + name) {}

const std::string& input_file::write(const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(m_strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) fail("open " + m_strPath);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail("write " + m_strPath);
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return m_strPath;
}

void install_quiet_ui() {
    static quiet_ui service;
    platform::SetUIService(&service);
}

}  // namespace fuzz
