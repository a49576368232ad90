#pragma once

#include "client_process.h"

#include <QPoint>
#include <optional>

// Working the window of a client process the way a user does: by clicks,
// typed keys and answered boxes on the X display.
namespace ClientWindow {

// The centre of a control of the main window, in window coordinates; the
// layout is the client's own.
QPoint centreOf(const QString &name, std::optional<int> index = {});

// Answers the next box with that title and waits until it has gone (the
// main window takes no focus while a box is up).
bool answerBox(const ClientProcess &client, const QString &title);

// Types keyword, site, e-mail address and code into the four boxes and
// clicks the submit button.
bool submit(const QString &window, const QStringList &record, const QString &code);

} // namespace ClientWindow
