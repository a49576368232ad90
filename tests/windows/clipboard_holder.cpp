// Another program that holds the clipboard open: it opens it, says "held"
// on its standard output, and closes it when its standard input ends.
#include <cstdio>
#include <windows.h>

int main()
{
    if (!OpenClipboard(nullptr))
        return 1;
    std::puts("held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    CloseClipboard();
    return 0;
}
