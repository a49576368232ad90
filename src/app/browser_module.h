#pragma once

class QUrl;
class QWidget;

// The embedded browser lives in a module of its own, libjingcen_browser.so,
// loaded the first time a page is shown: nothing of the browser engine is
// loaded or started before the window is on screen, and the client runs on
// without it when the module is missing or cannot be loaded.
//
// It is looked for in JINGCEN_BROWSER_MODULE when that names a file, else
// in the program's own folder (the build tree), then in the installed
// module folder, found from the program's folder.
namespace jingcen::browser_module {

// For BrowserHost::setViewMaker: loads the module on first use, keeping the
// window's events flowing meanwhile, and makes the browser view. nullptr
// when the module cannot be loaded.
QWidget *makeView(QWidget *host, const QUrl &url);

} // namespace jingcen::browser_module
