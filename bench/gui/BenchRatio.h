#pragma once
// Ratios of two benchmarks' median times (ours / Qt's), printed by main after the runs, and the size
// of the generated texts. A bench file
// registers its pairs at namespace scope:
//   VKT_BENCH_RATIO(ImageViewLoadPaint, QImageLoadPaint, 1.5);
// A limit of 0 reports the ratio without a target.
#include <cstddef>
#include <vector>

namespace bench {

// Characters of the generated texts (--vkt_chars, 200 000 by default; main reads the option).
inline std::size_t& TextChars()
{
    static std::size_t count = 200000;
    return count;
}

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
