#include "map/buffered_writer.h"

#include <algorithm>

namespace model {

buffered_writer::buffered_writer(platform::CFile& target, std::size_t buffer_size)
    : m_target(target), m_nCapacity(std::max<std::size_t>(buffer_size, 1)) {
    m_strFilePath = target.GetFilePath();
    m_buffer.reserve(m_nCapacity);
}

bool buffered_writer::Open(const std::string&, unsigned, platform::CFileException* error) {
    // The writer is bound to its file from the start; it opens nothing of its own.
    if (error) *error = platform::CFileException(platform::CFileException::genericException, m_strFilePath);
    return false;
}

void buffered_writer::Close() { drain(); }

std::size_t buffered_writer::Read(void*, std::size_t) {
    throw platform::CFileException(platform::CFileException::accessDenied, m_strFilePath);
}

void buffered_writer::drain() {
    if (m_buffer.empty()) return;
    try {
        m_target.Write(m_buffer.data(), m_buffer.size());
    } catch (...) {
        // Bytes that failed once are not offered again by a later flush.
        m_buffer.clear();
        throw;
    }
    m_buffer.clear();
}

void buffered_writer::Write(const void* buffer, std::size_t count) {
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    if (m_buffer.size() + count > m_nCapacity) drain();
    if (count >= m_nCapacity) {
        m_target.Write(bytes, count);
    } else {
        m_buffer.insert(m_buffer.end(), bytes, bytes + count);
    }
    m_nPosition += count;
    m_nLength = std::max(m_nLength, m_nPosition);
}

std::uint64_t buffered_writer::Seek(std::int64_t offset, SeekPosition from) {
    drain();
    m_nPosition = m_target.Seek(offset, from);
    m_nLength = std::max(m_nLength, m_nPosition);
    return m_nPosition;
}

std::uint64_t buffered_writer::GetLength() const { return m_nLength; }

void buffered_writer::Flush() {
    drain();
    m_target.Flush();
}

}  // namespace model
