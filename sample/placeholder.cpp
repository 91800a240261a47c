// Stands in for the game in the sample install until the game simulator is built:
// it says what it was asked to do and ends.
#include <cstdio>

int main(int argc, char** argv) {
    std::printf("Sample game install: no game here. Command line:");
    for (int i = 0; i < argc; ++i)
        std::printf(" %s", argv[i]);
    std::printf("\n");
    return 0;
}
