// talvor-cli: reads a netlist and prints the log on standard output.
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: %s NETLIST\n", argv[0]);
        return 2;
    }
    return 1;
}
