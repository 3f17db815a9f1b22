#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/file.h"

namespace platform {

// A file held in memory: either growable bytes of its own, or a window over the caller's
// bytes that never grows (writable or read-only). It has no path.
class CMemFile : public CFile {
public:
    // Growable; the buffer grows by at least grow_bytes at a time.
    explicit CMemFile(std::size_t grow_bytes = 1024);
    // Over the caller's bytes, writable in place up to size; the file is size bytes long.
    CMemFile(std::uint8_t* buffer, std::size_t size);
    // Over the caller's bytes, read only.
    CMemFile(const std::uint8_t* buffer, std::size_t size);

    bool Open(const std::string& path, unsigned flags, CFileException* error = nullptr) override;
    void Close() override;
    bool IsOpen() const override { return true; }

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::uint64_t Seek(std::int64_t offset, SeekPosition from) override;
    std::uint64_t GetLength() const override { return m_nFileSize; }
    std::uint64_t GetPosition() const override { return m_nPosition; }
    void Flush() override {}

    // The file's bytes (GetLength of them).
    const std::uint8_t* GetBuffer() const;
    // Hands over the bytes of a growable file and leaves it empty.
    std::vector<std::uint8_t> Detach();

private:
    enum class storage { owned, foreign, read_only };

    std::uint8_t* writable_span(std::size_t end);

    storage m_storage;
    std::size_t m_nGrowBytes = 0;
    std::vector<std::uint8_t> m_owned;
    std::uint8_t* m_pForeign = nullptr;
    const std::uint8_t* m_pReadOnly = nullptr;
    std::size_t m_nFileSize = 0;
    std::size_t m_nPosition = 0;
};

}  // namespace platform
