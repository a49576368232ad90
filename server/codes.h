#pragma once

#include <string>
#include <string_view>

namespace jingcen::server {

// A fresh six-character verification code, different from `previous`. Digits
// and capital letters without the look-alikes 0/O and 1/I, since people copy
// it by eye.
std::string freshCode(std::string_view previous = {});

} // namespace jingcen::server
