#pragma once

#include <memory>
#include <vector>

#include "platform/file.h"

namespace platform {

// A file opened for reading whose small reads and short seeks are served from a read-ahead
// buffer, so that walking a file record by record does not cost system calls per field.
class CBufferedFile : public CFile {
public:
    explicit CBufferedFile(std::size_t buffer_size = 1 << 16);

    bool Open(const std::string& path, unsigned flags, CFileException* error = nullptr) override;
    void Close() override;
    bool IsOpen() const override { return m_file.IsOpen(); }

    std::size_t Read(void* buffer, std::size_t count) override;
    // Writing goes through no buffer of this file: it is for reading.
    void Write(const void* buffer, std::size_t count) override;
    std::uint64_t Seek(std::int64_t offset, SeekPosition from) override;
    std::uint64_t GetLength() const override { return m_nLength; }
    std::uint64_t GetPosition() const override { return m_nPosition; }

private:
    CFile m_file;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_nBufferStart = 0;  // file position of m_buffer[0]
    std::size_t m_nBuffered = 0;       // valid bytes in the buffer
    std::uint64_t m_nPosition = 0;
    std::uint64_t m_nLength = 0;
};

}  // namespace platform
