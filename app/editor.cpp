// The editor: filled in with the main window work. Until then the program prints its usage.
#include "app/batch.h"

#include <cstdio>

int runEditor(int, char**)
{
    std::fputs("Aufruf: struktogramm --dump DATEI.str\n", stderr);
    return 2;
}
