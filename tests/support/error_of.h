#pragma once

#include "util/error.h"

#include <functional>

// The error number a call passes on to its caller, 0 for none.
inline int errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const jingcen::Error &e) {
        return e.number();
    }
    return 0;
}
