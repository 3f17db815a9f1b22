#pragma once

#include <cstdint>

namespace platform {

// A window of the program that the library may post notifications to (decoding progress).
// The program implements it over its own windows; tests record what is posted.
class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    // Queues the message for the window and returns at once; false when it cannot be queued.
    virtual bool PostMessage(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) = 0;
};

}  // namespace platform
