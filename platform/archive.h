#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

class CFile;

// A buffered binary archive over an open file, storing or loading from the file's
// current position. Values are little-endian with nothing added between them.
// Close() must be called to finish: a storing archive destroyed without it drops what
// it still buffers (it is being unwound after a failure), a loading one gives the
// file back at its logical position either way.
class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    CArchive(CFile* file, Mode mode, std::size_t buffer_size = 4096);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;
    ~CArchive();

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }
    CFile* GetFile() const { return m_pFile; }

    CArchive& operator<<(std::int32_t value);
    CArchive& operator<<(std::uint32_t value);
    CArchive& operator<<(double value);
    CArchive& operator>>(std::int32_t& value);
    CArchive& operator>>(std::uint32_t& value);
    CArchive& operator>>(double& value);

    void Write(const void* block, std::size_t count);
    // Answers the bytes read: fewer than asked at the end of the file, which is no error.
    std::size_t Read(void* block, std::size_t count);
    // Skipped bytes must be present; a file that ends before is an end-of-file error.
    void Skip(std::size_t count);
    // Writes count zero bytes.
    void WriteZeros(std::size_t count);

    void Flush();
    void Close();

private:
    void Put(const std::uint8_t* bytes, std::size_t count);
    void Need(std::size_t count);
    [[noreturn]] void ThrowEndOfFile() const;

    CFile* m_pFile;
    Mode m_mode;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::size_t m_nBufSize;
    std::size_t m_nCur = 0;  // next byte to use
    std::size_t m_nMax = 0;  // end of the loaded bytes (loading)
    bool m_bClosed = false;
};

}  // namespace platform
