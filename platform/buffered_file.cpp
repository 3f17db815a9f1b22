#include "platform/buffered_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace platform {

CBufferedFile::CBufferedFile(std::size_t buffer_size) : m_buffer(std::max<std::size_t>(buffer_size, 64)) {}

bool CBufferedFile::Open(const std::string& path, unsigned flags, CFileException* error) {
    if ((flags & 3u) != modeRead || (flags & modeCreate)) {
        if (error) *error = CFileException(CFileException::accessDenied, path);
        return false;
    }
    if (!m_file.Open(path, flags, error)) return false;
    m_strFilePath = m_file.GetFilePath();
    m_nLength = m_file.GetLength();
    m_nPosition = m_nBufferStart = 0;
    m_nBuffered = 0;
    return true;
}

void CBufferedFile::Close() {
    m_nBuffered = 0;
    m_file.Close();
}

std::size_t CBufferedFile::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        if (m_nPosition >= m_nBufferStart && m_nPosition < m_nBufferStart + m_nBuffered) {
            const std::size_t at = static_cast<std::size_t>(m_nPosition - m_nBufferStart);
            const std::size_t n = std::min(count - done, m_nBuffered - at);
            std::memcpy(out + done, m_buffer.data() + at, n);
            done += n;
            m_nPosition += n;
            continue;
        }
        if (m_nPosition >= m_nLength) break;
        m_file.Seek(static_cast<std::int64_t>(m_nPosition), begin);
        // Big reads go straight into the caller's memory.
        if (count - done >= m_buffer.size()) {
            const std::size_t got = m_file.Read(out + done, count - done);
            done += got;
            m_nPosition += got;
            break;
        }
        m_nBufferStart = m_nPosition;
        m_nBuffered = m_file.Read(m_buffer.data(), m_buffer.size());
        if (m_nBuffered == 0) break;
    }
    return done;
}

void CBufferedFile::Write(const void*, std::size_t) {
    throw CFileException(CFileException::accessDenied, m_strFilePath);
}

std::uint64_t CBufferedFile::Seek(std::int64_t offset, SeekPosition from) {
    const std::int64_t origin = from == begin ? 0 : from == current ? static_cast<std::int64_t>(m_nPosition)
                                                                    : static_cast<std::int64_t>(m_nLength);
    if ((offset < 0 && origin + offset < 0) ||
        (offset > 0 && origin > std::numeric_limits<std::int64_t>::max() - offset))
        throw CFileException(CFileException::badSeek, m_strFilePath);
    m_nPosition = static_cast<std::uint64_t>(origin + offset);
    return m_nPosition;
}

}  // namespace platform
