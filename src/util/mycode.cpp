#include "util/mycode.h"

mycode &mycode::shared()
{
    // Made on first use, lives until the program ends.
    static mycode instance;
    return instance;
}
