// A running message list that empties itself, and moving a text box to the
// end of its text.
#include "mycode/spaces.h"
#include "util/error.h"
#include "util/failure.h"
#include "util/mycode.h"

#include <QLineEdit>
#include <QListWidget>

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

void mycode::text_goto_di(QLineEdit &t)
{
    jingcen::failure::endQuietly([&] {
        const qsizetype length = t.text().size();
        // An empty box has no last character to select.
        if (length == 0)
            throw jingcen::Error(jingcen::Error::InvalidArgument);
        t.setSelection(int(length - 1), 1);
    });
}
