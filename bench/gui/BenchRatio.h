#pragma once
// Ratios of two benchmarks' mean times (ours / Qt's), printed by main after the runs. A bench file
// registers its pairs at namespace scope:
//   VKT_BENCH_RATIO(ImageViewLoadPaint, QImageLoadPaint, 1.5);
#include <vector>

namespace bench {

struct Ratio {
    const char* Ours;
    const char* Theirs;
    double Limit;
};

inline std::vector<Ratio>& Ratios()
{
    static std::vector<Ratio> ratios;
    return ratios;
}

inline bool AddRatio(const char* ours, const char* theirs, double limit)
{
    Ratios().push_back({ours, theirs, limit});
    return true;
}

} // namespace bench

#define VKT_BENCH_RATIO_JOIN2(a, b) a##b
#define VKT_BENCH_RATIO_JOIN(a, b) VKT_BENCH_RATIO_JOIN2(a, b)
#define VKT_BENCH_RATIO(ours, theirs, limit)                                                               \
    [[maybe_unused]] static const bool VKT_BENCH_RATIO_JOIN(vktBenchRatio, __LINE__) =                     \
        ::bench::AddRatio(#ours, #theirs, limit)
