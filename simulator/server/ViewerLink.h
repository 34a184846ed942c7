#pragma once
// Where one viewer's media goes, as its feed sees it: the connection in the
// simulator (SocketLink), a model link in the tests.

#include "SocketQueue.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>

class ViewerLink
{
public:
    virtual ~ViewerLink() = default;
    // False once the connection hangs or closes: media is then neither sent
    // nor counted as dropped.
    virtual bool open() const = 0;
    virtual qint64 unsent() const = 0; // bytes waiting in the simulator
    virtual SocketQueue kernel() const = 0;
    virtual qint64 handedToKernel() const = 0; // all bytes so far
    // One media frame: its header and the picture's bytes behind it.
    virtual void write(const std::uint8_t *head, std::size_t headSize, const std::uint8_t *body,
                       std::size_t bodySize) = 0;
};
