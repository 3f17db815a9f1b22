#pragma once

#include <cstdint>
#include <vector>

#include "platform/file.h"

namespace model {

// Collects the many small writes of a map document (a few bytes per field) and hands them to
// the file it writes through in large blocks. It writes that file from its first byte and
// counts the position itself, so it also writes through files that cannot tell theirs (a
// pipe). Everything written reaches the file by
// Flush or Close; the destructor drops what was not flushed, as a save given up has nothing
// to keep. Only for writing: reading raises CFileException.
class buffered_writer : public platform::CFile {
public:
    explicit buffered_writer(platform::CFile& target, std::size_t buffer_size = 1 << 16);

    bool Open(const std::string& path, unsigned flags, platform::CFileException* error = nullptr) override;
    // Flushes; the file written through stays open.
    void Close() override;
    bool IsOpen() const override { return m_target.IsOpen(); }

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::uint64_t Seek(std::int64_t offset, SeekPosition from) override;
    std::uint64_t GetLength() const override;
    std::uint64_t GetPosition() const override { return m_nPosition; }
    void Flush() override;

private:
    void drain();

    platform::CFile& m_target;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_nCapacity;
    std::uint64_t m_nPosition = 0;
    std::uint64_t m_nLength = 0;
};

}  // namespace model
