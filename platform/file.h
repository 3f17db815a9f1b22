#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/exceptions.h"

namespace platform {

// The CFileException cause of an operating system error number.
int file_cause_of(int os_error, int fallback);

// A binary file on disk. Reads and writes go straight to the operating system; the
// archive adds the buffering. Failures of an open file raise CFileException.
class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // Answers false when the file cannot be opened; error, when given, gets the cause.
    virtual bool Open(const std::string& path, unsigned flags, CFileException* error = nullptr);
    virtual void Close();
    virtual bool IsOpen() const { return m_fd >= 0; }

    // Reads up to count bytes; fewer only at the end of the file.
    virtual std::size_t Read(void* buffer, std::size_t count);
    virtual void Write(const void* buffer, std::size_t count);
    // Answers the new position from the start of the file.
    virtual std::uint64_t Seek(std::int64_t offset, SeekPosition from);
    std::uint64_t SeekToBegin() { return Seek(0, begin); }
    std::uint64_t SeekToEnd() { return Seek(0, end); }
    virtual std::uint64_t GetLength() const;
    virtual std::uint64_t GetPosition() const;
    virtual void Flush();

    // The name with its extension and no directory, and the full path.
    std::string GetFileName() const;
    const std::string& GetFilePath() const { return m_strFilePath; }

protected:
    [[noreturn]] void ThrowOsError(int cause_if_unknown) const;
    // For files opened otherwise than by Open: the file takes the descriptor.
    void Attach(int fd, const std::string& path);
    int GetHandle() const { return m_fd; }

    std::string m_strFilePath;

private:
    int m_fd = -1;
};

}  // namespace platform
