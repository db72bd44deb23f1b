#include <cstdio>

int main() {
    std::puts("ampliro: the audio engine is not built yet");
    return 0;
}
