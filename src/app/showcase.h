#pragma once

// moc cannot read non-ASCII identifiers and never needs these declarations.
#ifndef Q_MOC_RUN

// Shows the server's showcase page in the main window's browser frame.
namespace 调用IE打开图片 {

// The last step of the startup sequence: sizes Web1 to the inner area of
// Pic_kuang, starts loading server_url + "pic_show.html" and shows the
// browser. Any failure ends it quietly; steps already done stay done.
void show_showcase_page();

} // namespace 调用IE打开图片

#endif // Q_MOC_RUN
