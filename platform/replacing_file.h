#pragma once

#include <cstddef>
#include <string>

#include "platform/file.h"

namespace platform {

// A file that takes the place of its target only once it is complete. It is written under a
// name of its own in the target's folder; Commit puts every byte on disk and renames it over
// the target. Until then the target stays as it was, and a file given up (Discard, the
// destructor, an exception, a crash) leaves at most a stray temporary file behind, never a
// partial target. A target that is no regular file (a device, a pipe) cannot be replaced and
// is written in place, its write errors still reported.
class replacing_file : public CFile {
public:
    replacing_file() = default;
    ~replacing_file() override;

    // False, with the cause when asked, when the file cannot be created.
    bool Create(const std::string& target, CFileException* error = nullptr);
    // Flushes to disk and puts the file in the target's place; raises CFileException.
    void Commit();
    // Gives the file up; the target is left as it was.
    void Discard() noexcept;
    // Writes as CFile does; after every megabyte the system is told to start putting what has
    // been written on disk, so that Commit does not wait for all of it at the end.
    void Write(const void* buffer, std::size_t count) override;

    const std::string& GetTargetPath() const { return m_strTarget; }
    // False for a target written in place (a device, a pipe), which may not be able to seek.
    bool replaces_target() const { return !m_strTemporary.empty(); }

private:
    std::string m_strTarget;
    std::string m_strTemporary;  // empty when the target is written in place
    std::size_t m_nNotStarted = 0;  // bytes written since writeback was last started
};

// Writes size bytes as the file at path through a replacing_file. False, with the cause in
// error, when they could not all be written; the old file is then untouched.
bool write_whole_file(const std::string& path, const void* data, std::size_t size, std::string& error);

}  // namespace platform
