// The README's example: static DFA of a walk held in memory.
#include <cstdio>
#include <random>
#include <vector>

#include "engine/analysis.h"

int main() {
    std::mt19937 draw(7);
    std::normal_distribution<double> step;
    std::vector<double> walk(1 << 14);
    double sum = 0.0;
    for (double& v : walk) v = sum += step(draw);

    fractan::AnalysisSettings s;
    s.computationType = 3;                  // static DFA (the types table above)
    s.windowSize = int(walk.size()) - 1;    // W
    s.sizes = {8, 16, 32, 64, 128, 256};    // box or window sizes; the last is M
    fractan::AnalysisResult r = fractan::Analyse(walk, s);
    if (r.status == fractan::AnalysisStatus::kAnalysed) std::printf("H = %g\n", r.hurst);
    else std::printf("%s\n", r.reason.c_str());  // the refusal, as the command says it
    return r.status == fractan::AnalysisStatus::kAnalysed ? 0 : 1;
}
