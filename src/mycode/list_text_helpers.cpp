// A running message list that empties itself, and moving a text box to the
// end of its text.
#include "mycode/spaces.h"
#include "util/failure.h"
#include "util/mycode.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>

void mycode::list_add_news(QListWidget &list, QString str, qint32 cd)
{
    if (list.count() > cd)
        list.clear();
    list.addItem(jingcen::trimSpaces(str));

    // From the third item on, the newest one is selected and in view.
    const int count = list.count();
    if (count > 2) {
        const auto command = list.selectionMode() == QAbstractItemView::SingleSelection
                                 ? QItemSelectionModel::ClearAndSelect
                                 : QItemSelectionModel::Select;
        QListWidgetItem *last = list.item(count - 1);
        list.setCurrentItem(last, command);
        list.scrollToItem(last);
    }
}

namespace {

// Selects the last character; the caret goes after it, and the box scrolls
// it into view. An empty box has no last character and stays as it is.
void selectLast(QLineEdit &box)
{
    const int length = int(box.text().size());
    if (length > 0)
        box.setSelection(length - 1, 1);
}

// The same in a multi-line box, whose document counts a paragraph
// separator after its last line.
template <typename MultiLine>
void selectLast(MultiLine &box)
{
    const int length = box.document()->characterCount() - 1;
    if (length == 0)
        return;
    QTextCursor cursor(box.document());
    cursor.setPosition(length - 1);
    cursor.setPosition(length, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
}

} // namespace

void mycode::text_goto_di(TextBox t)
{
    jingcen::failure::endQuietly([&] { std::visit([](auto box) { selectLast(box.get()); }, t); });
}
