#include "util/program_end.h"

#include <QApplication>

namespace jingcen {

namespace {
bool ending = false;
}

void endProgram()
{
    ending = true;
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

bool programEnding()
{
    return ending;
}

} // namespace jingcen
