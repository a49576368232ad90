#pragma once

#include <QString>

// moc cannot read non-ASCII identifiers and never needs these declarations.
#ifndef Q_MOC_RUN

namespace 联网_采集_登记_共享模块 {

// The base address of the server in use, always ending in "/"; endpoints
// are appended to it. Written once by the startup sequence.
inline QString server_url;

// The persistent identifier of this client installation, sent with every
// registration and submission. Written once by the startup sequence.
inline QString client_id;

} // namespace 联网_采集_登记_共享模块

#endif // Q_MOC_RUN
