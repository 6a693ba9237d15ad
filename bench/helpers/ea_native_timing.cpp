// Native side of bench/bench_ea_python.py: times fitCircleGeminiUltra and
// fitCircleFromPoints on the point sets that script writes, so that the Python
// calls can be set against the very same native calls.
//
// usage: ea_native_timing <ultra points> <from-points points> [Google Benchmark flags]
// Point files hold packed float32 (x, y) pairs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "tivra/analysis/CircleFitting.h"

namespace {

using Points = std::vector<cv::Point2f>;

Points ReadPoints(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Points points(bytes.size() / sizeof(cv::Point2f));
    std::copy(bytes.begin(), bytes.begin() + long(points.size() * sizeof(cv::Point2f)),
              reinterpret_cast<char*>(points.data()));
    return points;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: ea_native_timing <ultra points> <from-points points> [benchmark flags]\n");
        return 2;
    }
    static const Points ultra = ReadPoints(argv[1]);
    static const Points fromPoints = ReadPoints(argv[2]);
    benchmark::RegisterBenchmark("fitCircleGeminiUltra", [](benchmark::State& state) {
        for (auto _ : state) {
            cv::Point2f c;
            float r = 0;
            benchmark::DoNotOptimize(EA::fitCircleGeminiUltra(ultra, c, r, 1000, 1.0f, 0.0f, 0.0f));
        }
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("fitCircleFromPoints", [](benchmark::State& state) {
        for (auto _ : state) {
            cv::Point2f c;
            float r = 0;
            EA::fitCircleFromPoints(fromPoints, c, r);
            benchmark::DoNotOptimize(r);
        }
    })->Unit(benchmark::kMicrosecond);
    argv[2] = argv[0];
    int rest = argc - 2;
    benchmark::Initialize(&rest, argv + 2);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
