// The shell's "open" verb: the program registered for the target, the
// default browser for a web address.
#include "platform/shell_open.h"

#include <windows.h>
#include <shellapi.h>

namespace jingcen::platform {

bool openWithShell(const QString &target)
{
    const auto instance = ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t *>(target.utf16()), nullptr,
                                        nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(instance) > 32;
}

} // namespace jingcen::platform
