#include "platform/mem_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace platform {

CMemFile::CMemFile(std::size_t grow_bytes)
    : m_storage(storage::owned), m_nGrowBytes(std::max<std::size_t>(grow_bytes, 1)) {}

CMemFile::CMemFile(std::uint8_t* buffer, std::size_t size)
    : m_storage(storage::foreign), m_pForeign(buffer), m_nFileSize(buffer ? size : 0) {}

CMemFile::CMemFile(const std::uint8_t* buffer, std::size_t size)
    : m_storage(storage::read_only), m_pReadOnly(buffer), m_nFileSize(buffer ? size : 0) {}

bool CMemFile::Open(const std::string& path, unsigned, CFileException* error) {
    if (error) *error = CFileException(CFileException::invalidFile, path);
    return false;
}

void CMemFile::Close() {}

const std::uint8_t* CMemFile::GetBuffer() const {
    switch (m_storage) {
        case storage::owned: return m_owned.data();
        case storage::foreign: return m_pForeign;
        case storage::read_only: return m_pReadOnly;
    }
    return nullptr;
}

std::vector<std::uint8_t> CMemFile::Detach() {
    std::vector<std::uint8_t> bytes;
    if (m_storage != storage::owned) return bytes;
    m_owned.resize(m_nFileSize);
    bytes.swap(m_owned);
    m_nFileSize = 0;
    m_nPosition = 0;
    return bytes;
}

std::size_t CMemFile::Read(void* buffer, std::size_t count) {
    if (m_nPosition >= m_nFileSize) return 0;
    std::size_t n = std::min(count, m_nFileSize - m_nPosition);
    if (n) std::memcpy(buffer, GetBuffer() + m_nPosition, n);
    m_nPosition += n;
    return n;
}

std::uint8_t* CMemFile::writable_span(std::size_t end) {
    switch (m_storage) {
        case storage::read_only: throw CFileException(CFileException::accessDenied);
        case storage::foreign:
            if (end > m_nFileSize) throw CFileException(CFileException::diskFull);
            return m_pForeign;
        case storage::owned:
            if (end > m_owned.size()) {
                // Whole steps of the grow size, and never less than doubling, so that
                // frame after frame of output stays linear in time.
                std::size_t want = (end + m_nGrowBytes - 1) / m_nGrowBytes * m_nGrowBytes;
                want = std::max(want, m_owned.size() * 2);
                m_owned.resize(want);
            }
            return m_owned.data();
    }
    return nullptr;
}

void CMemFile::Write(const void* buffer, std::size_t count) {
    if (count == 0) return;
    if (count > std::numeric_limits<std::size_t>::max() - m_nPosition)
        throw CFileException(CFileException::diskFull);
    std::size_t end = m_nPosition + count;
    std::uint8_t* base = writable_span(end);
    // A seek past the end leaves a gap that reads as zeros.
    if (m_nPosition > m_nFileSize) std::memset(base + m_nFileSize, 0, m_nPosition - m_nFileSize);
    std::memcpy(base + m_nPosition, buffer, count);
    m_nPosition = end;
    m_nFileSize = std::max(m_nFileSize, end);
}

std::uint64_t CMemFile::Seek(std::int64_t offset, SeekPosition from) {
    std::int64_t origin = from == begin     ? 0
                          : from == current ? static_cast<std::int64_t>(m_nPosition)
                                            : static_cast<std::int64_t>(m_nFileSize);
    if ((offset < 0 && origin + offset < 0) ||
        (offset > 0 && origin > std::numeric_limits<std::int64_t>::max() - offset))
        throw CFileException(CFileException::badSeek);
    auto target = static_cast<std::uint64_t>(origin + offset);
    // Only a growable file may be positioned past its end.
    if (m_storage != storage::owned && target > m_nFileSize)
        throw CFileException(CFileException::badSeek);
    m_nPosition = static_cast<std::size_t>(target);
    return m_nPosition;
}

}  // namespace platform
