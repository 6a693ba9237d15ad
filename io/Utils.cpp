#include "tivra/io/Utils.h"

#include <cstdio>

void TraceLinux(const char* message)
{
    std::fprintf(stderr, "[TivraModule-Debug] %s\n", message);
    std::fflush(stderr);
}
