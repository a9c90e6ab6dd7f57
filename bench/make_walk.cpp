// Writes a Gaussian random walk of N samples as 8-byte binary doubles:
//   make_walk N PATH
#include <cstdio>
#include <cstdlib>
#include <random>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_walk N PATH\n");
        return 2;
    }
    const long n = std::strtol(argv[1], nullptr, 10);
    std::FILE* file = std::fopen(argv[2], "wb");
    if (!file) {
        std::fprintf(stderr, "make_walk: cannot write [%s]\n", argv[2]);
        return 1;
    }
    std::mt19937_64 engine(7);
    std::normal_distribution<double> step;
    double x = 0.0;
    for (long i = 0; i < n; ++i) {
        x += step(engine);
        std::fwrite(&x, sizeof x, 1, file);
    }
    return std::fclose(file) == 0 ? 0 : 1;
}
