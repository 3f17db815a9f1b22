#include "platform/archive.h"

#include <algorithm>
#include <cstring>

#include "platform/endian.h"
#include "platform/exceptions.h"
#include "platform/file.h"

namespace platform {

CArchive::CArchive(CFile* file, Mode mode, std::size_t buffer_size)
    : m_pFile(file),
      m_mode(mode),
      m_buffer(new std::uint8_t[std::max<std::size_t>(buffer_size, 16)]),
      m_nBufSize(std::max<std::size_t>(buffer_size, 16)) {}

CArchive::~CArchive() {
    if (m_bClosed || m_mode == store) return;
    try {
        Close();
    } catch (const CException&) {
        // Already unwinding or closing for good; the position is lost either way.
    }
}

void CArchive::ThrowEndOfFile() const {
    throw CArchiveException(CArchiveException::endOfFile, m_pFile ? m_pFile->GetFilePath() : "");
}

void CArchive::Put(const std::uint8_t* bytes, std::size_t count) {
    if (m_mode != store) throw CArchiveException(CArchiveException::readOnly, m_pFile->GetFilePath());
    if (m_nCur + count > m_nBufSize) Flush();
    if (count >= m_nBufSize) {
        m_pFile->Write(bytes, count);
        return;
    }
    std::memcpy(m_buffer.get() + m_nCur, bytes, count);
    m_nCur += count;
}

void CArchive::Need(std::size_t count) {
    if (m_mode != load) throw CArchiveException(CArchiveException::writeOnly, m_pFile->GetFilePath());
    if (m_nMax - m_nCur >= count) return;
    std::size_t left = m_nMax - m_nCur;
    std::memmove(m_buffer.get(), m_buffer.get() + m_nCur, left);
    m_nCur = 0;
    m_nMax = left;
    m_nMax += m_pFile->Read(m_buffer.get() + left, m_nBufSize - left);
    if (m_nMax < count) ThrowEndOfFile();
}

CArchive& CArchive::operator<<(std::int32_t value) { return *this << static_cast<std::uint32_t>(value); }

CArchive& CArchive::operator<<(std::uint32_t value) {
    std::uint8_t bytes[4];
    endian::put_le32(bytes, value);
    Put(bytes, sizeof bytes);
    return *this;
}

CArchive& CArchive::operator<<(double value) {
    std::uint8_t bytes[8];
    endian::put_le_double(bytes, value);
    Put(bytes, sizeof bytes);
    return *this;
}

CArchive& CArchive::operator>>(std::int32_t& value) {
    std::uint32_t raw;
    *this >> raw;
    value = static_cast<std::int32_t>(raw);
    return *this;
}

CArchive& CArchive::operator>>(std::uint32_t& value) {
    Need(4);
    value = endian::get_le32(m_buffer.get() + m_nCur);
    m_nCur += 4;
    return *this;
}

CArchive& CArchive::operator>>(double& value) {
    Need(8);
    value = endian::get_le_double(m_buffer.get() + m_nCur);
    m_nCur += 8;
    return *this;
}

void CArchive::Write(const void* block, std::size_t count) {
    Put(static_cast<const std::uint8_t*>(block), count);
}

void CArchive::WriteZeros(std::size_t count) {
    static const std::uint8_t zeros[256] = {};
    while (count > 0) {
        std::size_t n = std::min(count, sizeof zeros);
        Put(zeros, n);
        count -= n;
    }
}

std::size_t CArchive::Read(void* block, std::size_t count) {
    if (m_mode != load) throw CArchiveException(CArchiveException::writeOnly, m_pFile->GetFilePath());
    auto* out = static_cast<std::uint8_t*>(block);
    std::size_t from_buffer = std::min(count, m_nMax - m_nCur);
    std::memcpy(out, m_buffer.get() + m_nCur, from_buffer);
    m_nCur += from_buffer;
    std::size_t done = from_buffer;
    if (done == count) return done;
    // Large blocks go straight to the file; small ones refill the buffer first.
    if (count - done >= m_nBufSize) return done + m_pFile->Read(out + done, count - done);
    m_nCur = 0;
    m_nMax = m_pFile->Read(m_buffer.get(), m_nBufSize);
    std::size_t rest = std::min(count - done, m_nMax);
    std::memcpy(out + done, m_buffer.get(), rest);
    m_nCur = rest;
    return done + rest;
}

void CArchive::Skip(std::size_t count) {
    while (count > 0) {
        std::size_t n = std::min(count, m_nBufSize);
        Need(n);
        m_nCur += n;
        count -= n;
    }
}

void CArchive::Flush() {
    if (m_mode == store) {
        if (m_nCur) m_pFile->Write(m_buffer.get(), m_nCur);
        m_nCur = 0;
        m_pFile->Flush();
    } else if (m_nMax > m_nCur) {
        // Give back what was read ahead, so the file stands after the last byte used.
        m_pFile->Seek(-static_cast<std::int64_t>(m_nMax - m_nCur), CFile::current);
        m_nCur = m_nMax = 0;
    }
}

void CArchive::Close() {
    if (m_bClosed) return;
    m_bClosed = true;
    Flush();
}

}  // namespace platform
