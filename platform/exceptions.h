#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// The only exceptions of the system: failures of files and archives. Everything else
// answers result codes or booleans.
class CException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CFileException : public CException {
public:
    enum cause {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(int cause = none, std::string path = {}, int os_error = 0);

    int m_cause;
    std::string m_strFileName;
    int m_lOsError;
};

class CArchiveException : public CException {
public:
    enum cause {
        none = 0,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema,
    };

    CArchiveException(int cause, std::string path);

    int m_cause;
    std::string m_strFileName;
};

// Why the operation failed, as the system words it (strerror) when a file exception carries
// the system's error, else the exception's own text: the cause to put after a message that
// already names the file.
std::string reason_of(const CException& e);

}  // namespace platform
