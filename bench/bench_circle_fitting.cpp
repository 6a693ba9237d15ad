// Accuracy and speed of the circle fitters, side by side with scikit-image's CircleModel
// and ransac(CircleModel, ...) on the same synthetic point sets, against the statistical
// lower bound (KCR) of the arc each set samples.
//
// Point sets: radius 20, 100, 500 px, centre about 1000 px from the origin; arcs of 360,
// 180, 90, 45 degrees; 20, 100, 1000 points; noise sigma 0.05, 0.2, 1 px; 0, 10, 30, 50,
// 70 % of the points outliers, either uniform in a box of side 3 r around the centre or on
// the concentric circle 10 px out over the same arc. Inlier threshold 3 sigma, at most
// 1000 sampling iterations, no radius bounds.
//
// A fit fails when its centre error exceeds 5 x the bound (or it reports no circle).
// Errors are given in units of the bound: 1.00 is the best any estimator can do on average.
// Times are CPU time of the fitting thread, all fits single-threaded.
//
// Usage: bench_circle_fitting [--trials N] [--no-skimage] [--skimage-script path]
//                             [Google Benchmark flags]
// Afterwards Google Benchmark times each fitter on one fixed set (100 points on a half
// circle, 30 % box outliers).

#include "tivra/analysis/CircleFitting.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxIterations = 1000;

enum class Outliers { Box, Ring };

struct Scenario {
    double radius;
    double arcDeg;
    int n;
    double sigma;
    int outlierPct;
    Outliers kind;
};

struct PointSet {
    Scenario scenario;
    double cx, cy, r;
    std::vector<cv::Point2f> points;
    float threshold;
    double boundCentre;  // RMS centre error of an efficient estimator
    double boundRadius;  // its radius standard deviation
    int seed;
};

struct Fit {
    bool ran = true;  // false: the fitter was not run on this set
    bool ok = false;
    double cx = 0, cy = 0, r = 0, micros = 0;
};

// Cramer-Rao (KCR) bound of (cx, cy, r) for points at these angles with radial noise sigma.
void kcrBound(const std::vector<double>& angles, double sigma, double& centre, double& radius)
{
    cv::Matx33d info = cv::Matx33d::zeros();
    for (double t : angles) {
        const cv::Vec3d u(std::cos(t), std::sin(t), 1.0);
        info += u * u.t();
    }
    const cv::Matx33d cov = info.inv(cv::DECOMP_SVD) * (sigma * sigma);
    centre = std::sqrt(cov(0, 0) + cov(1, 1));
    radius = std::sqrt(cov(2, 2));
}

PointSet makeSet(const Scenario& s, int seed)
{
    std::mt19937 rng(static_cast<unsigned>(seed));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, s.sigma);
    PointSet set{s, 0, 0, s.radius, {}, float(3.0 * s.sigma), 0, 0, seed};
    const double direction = (20.0 + 50.0 * unit(rng)) * kPi / 180.0;
    set.cx = 1000.0 * std::cos(direction) + unit(rng);
    set.cy = 1000.0 * std::sin(direction) + unit(rng);

    const int outliers = s.n * s.outlierPct / 100;
    const int inliers = s.n - outliers;
    const double start = 2.0 * kPi * unit(rng);
    const double span = s.arcDeg * kPi / 180.0;
    const bool full = s.arcDeg >= 360.0;
    std::vector<double> angles;
    auto onCircle = [&](double radius, double t) {
        const double rr = radius + noise(rng);
        return cv::Point2f(float(set.cx + rr * std::cos(t)), float(set.cy + rr * std::sin(t)));
    };
    std::vector<cv::Point2f> circle, others;
    for (int i = 0; i < inliers; ++i) {
        const double t = start + span * i / (full ? inliers : std::max(1, inliers - 1));
        angles.push_back(t);
        circle.push_back(onCircle(s.radius, t));
    }
    for (int i = 0; i < outliers; ++i) {
        if (s.kind == Outliers::Ring) {
            others.push_back(onCircle(s.radius + 10.0, start + span * unit(rng)));
        } else {
            const double half = 1.5 * s.radius;
            others.emplace_back(float(set.cx - half + 2 * half * unit(rng)),
                                float(set.cy - half + 2 * half * unit(rng)));
        }
    }
    // Edge lists come ordered along the contour: spread the outliers evenly through it.
    size_t o = 0;
    for (int i = 0; i < inliers; ++i) {
        set.points.push_back(circle[size_t(i)]);
        for (const size_t due = size_t(double(i + 1) * outliers / inliers); o < due;)
            set.points.push_back(others[o++]);
    }
    while (o < others.size())
        set.points.push_back(others[o++]);
    kcrBound(angles, s.sigma, set.boundCentre, set.boundRadius);
    return set;
}

std::vector<PointSet> makeSets(int trials)
{
    std::vector<PointSet> sets;
    int seed = 1;
    for (double radius : {20.0, 100.0, 500.0})
        for (double arc : {360.0, 180.0, 90.0, 45.0})
            for (int n : {20, 100, 1000})
                for (double sigma : {0.05, 0.2, 1.0}) {
                    std::vector<std::pair<int, Outliers>> mixes{{0, Outliers::Box}};
                    for (int pct : {10, 30, 50, 70})
                        for (Outliers kind : {Outliers::Box, Outliers::Ring})
                            mixes.emplace_back(pct, kind);
                    for (const auto& mix : mixes)
                        for (int t = 0; t < trials; ++t)
                            sets.push_back(makeSet({radius, arc, n, sigma, mix.first, mix.second}, seed++));
                }
    return sets;
}

// ---- The fitters under test ------------------------------------------------------------

using FitFn = std::function<bool(const PointSet&, cv::Point2f&, float&)>;

struct Fitter {
    std::string name;
    FitFn fit;
    std::function<bool(const Scenario&)> runsOn = [](const Scenario&) { return true; };
};

template <typename F>
FitFn robust(F f)
{
    return [f](const PointSet& s, cv::Point2f& c, float& r) {
        if constexpr (std::is_same_v<decltype(f(s.points, c, r, 0, 0.f, 0.f, 0.f)), void>) {
            f(s.points, c, r, kMaxIterations, s.threshold, 0.0f, 0.0f);
            return r > 0.0f;
        } else {
            return f(s.points, c, r, kMaxIterations, s.threshold, 0.0f, 0.0f);
        }
    };
}

std::vector<Fitter> ourFitters()
{
    return {
        {"RANSAC", robust(EA::fitCircleRANSAC)},
        {"RANSAC2", robust(EA::fitCircleRANSAC2)},
        {"USAC", robust(EA::fitCircleUSAC)},
        {"ChatGPT", robust(EA::fitCircleChatGPT)},
        {"ChatGPTv2", robust(EA::fitCircleChatGPTv2)},
        {"GeminiPro", robust(EA::fitCircleGeminiPro)},
        {"GeminiUltra", robust(EA::fitCircleGeminiUltra)},
        {"ClaudeOpus45", robust(EA::fitCircleClaudeOpus45)},
        {"ClaudeOpus45v2", robust(EA::fitCircleClaudeOpus45v2)},
        {"FromPoints", [](const PointSet& s, cv::Point2f& c, float& r) {
             EA::fitCircleFromPoints(s.points, c, r);
             return r > 0.0f;
         }},
        {"LeastSquares", [](const PointSet& s, cv::Point2f& c, float& r) { return EA::fitCircleLeastSquares(s.points, c, r); }},
        {"Taubin", [](const PointSet& s, cv::Point2f& c, float& r) { return EA::fitCircleTaubin(s.points, c, r); }},
        // Rendering and voting cost up to a second on the large sets: clean sets of radius
        // up to 100 show what it does.
        {"Hough", [](const PointSet& s, cv::Point2f& c, float& r) { return EA::fitCircleHoughTransform(s.points, c, r); },
         [](const Scenario& s) { return s.outlierPct == 0 && s.radius <= 100.0; }},
    };
}

// CPU time of this thread: on a shared machine wall time counts other people's work.
double threadMicros()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) * 1e-3;
}

Fit runFit(const Fitter& f, const PointSet& s)
{
    if (!f.runsOn(s.scenario)) {
        Fit skipped;
        skipped.ran = false;
        return skipped;
    }
    cv::Point2f c;
    float r = 0;
    const double t0 = threadMicros();
    const bool ok = f.fit(s, c, r);
    return {true, ok, c.x, c.y, r, threadMicros() - t0};
}

// ---- scikit-image on the same sets -----------------------------------------------------

bool runSkimage(const std::vector<PointSet>& sets, const std::string& script, std::vector<Fit>& model,
                std::vector<Fit>& ransacFits)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string in = (dir / ("bench_circle_sets_" + std::to_string(::getpid()) + ".bin")).string();
    const std::string out = (dir / ("bench_circle_skimage_" + std::to_string(::getpid()) + ".txt")).string();
    {
        std::ofstream f(in, std::ios::binary);
        const int32_t count = int32_t(sets.size());
        f.write(reinterpret_cast<const char*>(&count), 4);
        for (const PointSet& s : sets) {
            const int32_t n = int32_t(s.points.size());
            const int32_t seed = s.seed;
            f.write(reinterpret_cast<const char*>(&n), 4);
            f.write(reinterpret_cast<const char*>(&s.threshold), 4);
            f.write(reinterpret_cast<const char*>(&seed), 4);
            f.write(reinterpret_cast<const char*>(s.points.data()), std::streamsize(8 * s.points.size()));
        }
    }
    const std::string command = "OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 /usr/bin/python3 '" + script + "' '" + in + "' '" + out + "'";
    const int status = std::system(command.c_str());
    std::remove(in.c_str());
    std::ifstream f(out);
    std::string line;
    while (status == 0 && std::getline(f, line)) {
        std::istringstream row(line);
        Fit a, b;
        int okA = 0, okB = 0;
        row >> a.cx >> a.cy >> a.r >> a.micros >> okA >> b.cx >> b.cy >> b.r >> b.micros >> okB;
        a.ok = okA != 0;
        b.ok = okB != 0;
        model.push_back(a);
        ransacFits.push_back(b);
    }
    std::remove(out.c_str());
    return status == 0 && model.size() == sets.size();
}

// ---- Statistics --------------------------------------------------------------------

struct Summary {
    double rms = NAN, median = NAN, p95 = NAN, bias = NAN, failPct = NAN, micros = NAN;
    size_t count = 0;
};

double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return NAN;
    const size_t k = std::min(v.size() - 1, size_t(q * (v.size() - 1) + 0.5));
    std::nth_element(v.begin(), v.begin() + long(k), v.end());
    return v[k];
}

Summary summarize(const std::vector<PointSet>& sets, const std::vector<Fit>& fits,
                  const std::function<bool(const Scenario&)>& in)
{
    Summary s;
    std::vector<double> ratios;
    double sumSq = 0, sumBias = 0, sumMicros = 0;
    size_t good = 0;
    for (size_t i = 0; i < sets.size(); ++i) {
        if (!in(sets[i].scenario) || !fits[i].ran)
            continue;
        const PointSet& p = sets[i];
        const Fit& f = fits[i];
        const double ratio = f.ok ? std::hypot(f.cx - p.cx, f.cy - p.cy) / p.boundCentre
                                  : std::numeric_limits<double>::infinity();
        ratios.push_back(ratio);
        sumMicros += f.micros;
        if (ratio <= 5.0) {
            ++good;
            sumSq += ratio * ratio;
            sumBias += (f.r - p.r) / p.boundRadius;
        }
    }
    s.count = ratios.size();
    if (s.count == 0)
        return s;
    s.rms = good ? std::sqrt(sumSq / good) : NAN;
    s.bias = good ? sumBias / good : NAN;
    s.median = percentile(ratios, 0.5);
    s.p95 = percentile(ratios, 0.95);
    s.failPct = 100.0 * double(s.count - good) / s.count;
    s.micros = sumMicros / s.count;
    return s;
}

std::string cell(double v, int width, int decimals)
{
    char buf[32];
    if (std::isnan(v))
        std::snprintf(buf, sizeof buf, "%*s", width, "-");
    else if (std::isinf(v) || v >= 1e6)
        std::snprintf(buf, sizeof buf, "%*s", width, ">1e6");
    else
        std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, v);
    return buf;
}

struct Column {
    std::string title;
    std::function<std::string(const std::vector<Fit>&)> value;
};

void printTable(const std::string& title, const std::vector<std::string>& names,
                const std::vector<std::vector<Fit>>& fits, const std::vector<Column>& columns)
{
    std::printf("\n%s\n%-16s", title.c_str(), "fitter");
    for (const Column& c : columns)
        std::printf(" %12s", c.title.c_str());
    std::printf("\n");
    for (size_t k = 0; k < names.size(); ++k) {
        std::printf("%-16s", names[k].c_str());
        for (const Column& c : columns)
            std::printf(" %12s", c.value(fits[k]).c_str());
        std::printf("\n");
    }
}

void printReport(const std::vector<PointSet>& sets, const std::vector<std::string>& names,
                 const std::vector<std::vector<Fit>>& fits)
{
    auto col = [&](std::string title, std::function<bool(const Scenario&)> in,
                   std::function<double(const Summary&)> pick, int decimals) {
        return Column{std::move(title), [&sets, in, pick, decimals](const std::vector<Fit>& f) {
                          return cell(pick(summarize(sets, f, in)), 12, decimals);
                      }};
    };
    auto clean = [](const Scenario& s) { return s.outlierPct == 0; };
    auto rms = [](const Summary& s) { return s.rms; };
    auto fail = [](const Summary& s) { return s.failPct; };

    std::vector<Column> arcs;
    for (double arc : {360.0, 180.0, 90.0, 45.0})
        arcs.push_back(col("rms@" + std::to_string(int(arc)), [arc](const Scenario& s) {
            return s.outlierPct == 0 && s.arcDeg == arc;
        }, rms, 2));
    for (double arc : {360.0, 180.0, 90.0, 45.0})
        arcs.push_back(col("fail%@" + std::to_string(int(arc)), [arc](const Scenario& s) {
            return s.outlierPct == 0 && s.arcDeg == arc;
        }, fail, 1));
    printTable("Without outliers, by arc: RMS centre error of the successful fits / KCR bound, failure %",
               names, fits, arcs);

    printTable("Without outliers, all arcs: centre error / bound (median, 95th percentile), "
               "radius bias / radius bound, failure %, microseconds per fit",
               names, fits,
               {col("median", clean, [](const Summary& s) { return s.median; }, 2),
                col("p95", clean, [](const Summary& s) { return s.p95; }, 2),
                col("bias", clean, [](const Summary& s) { return s.bias; }, 2), col("fail%", clean, fail, 1),
                col("us/fit", clean, [](const Summary& s) { return s.micros; }, 1)});

    for (Outliers kind : {Outliers::Box, Outliers::Ring}) {
        std::vector<Column> columns;
        for (int pct : {0, 10, 30, 50, 70})
            columns.push_back(col("ok%@" + std::to_string(pct), [pct, kind](const Scenario& s) {
                return s.outlierPct == pct && (pct == 0 || s.kind == kind);
            }, [](const Summary& s) { return 100.0 - s.failPct; }, 1));
        for (int pct : {0, 50})
            columns.push_back(col("rms@" + std::to_string(pct), [pct, kind](const Scenario& s) {
                return s.outlierPct == pct && (pct == 0 || s.kind == kind);
            }, rms, 2));
        printTable(kind == Outliers::Box
                       ? "Box outliers (uniform in a square of side 3 r): success % by outlier share; "
                         "RMS / bound at 0 and 50 %, arcs of 90 degrees and more"
                       : "Ring outliers (concentric circle 10 px out; from 50 % on it holds as many "
                         "points as the circle or more): success % by share",
                   names, fits, columns);
    }

    std::vector<Column> speed;
    for (int n : {20, 100, 1000})
        for (int pct : {0, 50})
            speed.push_back(col("n" + std::to_string(n) + "/" + std::to_string(pct) + "%", [n, pct](const Scenario& s) {
                return s.n == n && s.outlierPct == pct && s.kind == Outliers::Box;
            }, [](const Summary& s) { return s.micros; }, 1));
    printTable("Microseconds per fit by point count and box-outlier share", names, fits, speed);
}

void printGoals(const std::vector<PointSet>& sets, const std::vector<std::string>& names,
                const std::vector<std::vector<Fit>>& fits)
{
    auto longArcClean = [](const Scenario& s) { return s.outlierPct == 0 && s.arcDeg >= 90; };
    auto longArcBox50 = [](const Scenario& s) {
        return s.outlierPct == 50 && s.kind == Outliers::Box && s.arcDeg >= 90;
    };
    auto box50 = [](const Scenario& s) { return s.outlierPct == 50 && s.kind == Outliers::Box; };
    auto all = [](const Scenario&) { return true; };
    std::printf("\nGoals (arcs of 90 degrees and more unless stated)\n%-16s %12s %12s %12s %12s %12s\n", "fitter",
                "rms/bound@0", "ok%@50box", "rms@50/rms@0", "us/fit@50", "us/fit all");
    for (size_t k = 0; k < names.size(); ++k) {
        const Summary clean = summarize(sets, fits[k], longArcClean);
        const Summary box = summarize(sets, fits[k], longArcBox50);
        const Summary anyBox = summarize(sets, fits[k], box50);
        const Summary total = summarize(sets, fits[k], all);
        std::printf("%-16s %12s %12s %12s %12s %12s\n", names[k].c_str(), cell(clean.rms, 12, 3).c_str(),
                    cell(100.0 - box.failPct, 12, 1).c_str(), cell(box.rms / clean.rms, 12, 3).c_str(),
                    cell(anyBox.micros, 12, 1).c_str(), cell(total.micros, 12, 1).c_str());
    }
}

// ---- Google Benchmark timings on one fixed set -------------------------------------------

void registerTimings()
{
    static const PointSet fixed = makeSet({100.0, 180.0, 100, 0.2, 30, Outliers::Box}, 4242);
    static const std::vector<Fitter> fitters = ourFitters();
    for (const Fitter& f : fitters) {
        benchmark::RegisterBenchmark(("fit/" + f.name).c_str(), [&f](benchmark::State& state) {
            for (auto _ : state) {
                cv::Point2f c;
                float r = 0;
                benchmark::DoNotOptimize(f.fit(fixed, c, r));
                benchmark::DoNotOptimize(r);
            }
        })->Unit(benchmark::kMicrosecond);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    int trials = 4;
    bool skimage = true;
    std::string script = (std::filesystem::path(TIVRA_BENCH_DIR) / "circle_fitting_skimage.py").string();
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--trials") && i + 1 < argc)
            trials = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--no-skimage"))
            skimage = false;
        else if (!std::strcmp(argv[i], "--skimage-script") && i + 1 < argc)
            script = argv[++i];
        else
            rest.push_back(argv[i]);
    }

    cv::setNumThreads(0);  // every fit runs on this one thread, as scikit-image's do
    const std::vector<PointSet> sets = makeSets(trials);
    std::printf("%zu point sets (%d per configuration), %d iterations at most, threshold 3 sigma\n", sets.size(),
                trials, kMaxIterations);
    std::fflush(stdout);

    std::vector<std::string> names;
    std::vector<std::vector<Fit>> fits;
    for (const Fitter& f : ourFitters()) {
        names.push_back(f.name);
        fits.emplace_back();
        for (const PointSet& s : sets)
            fits.back().push_back(runFit(f, s));
    }
    if (skimage) {
        std::vector<Fit> model, ransacFits;
        if (runSkimage(sets, script, model, ransacFits)) {
            names.push_back("skimage.Circle");
            fits.push_back(std::move(model));
            names.push_back("skimage.ransac");
            fits.push_back(std::move(ransacFits));
        } else {
            std::printf("scikit-image comparison unavailable (python3-skimage missing or %s failed)\n",
                        script.c_str());
        }
    }
    printReport(sets, names, fits);
    printGoals(sets, names, fits);
    std::fflush(stdout);

    int restCount = int(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    registerTimings();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
