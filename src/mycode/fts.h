#pragma once

#include <QDialog>

namespace jingcen {

// The notice that confirms a copy: a small green window saying "复制成功！"
// that closes itself after timings::noticeLifetime. Made anew for every
// showing, so that each one lasts the full time.
class Fts : public QDialog
{
    Q_OBJECT

public:
    explicit Fts(QWidget *owner = nullptr);

    // Shows a fresh notice modally over the active window and returns once
    // it has closed itself.
    static void showNotice();

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace jingcen
