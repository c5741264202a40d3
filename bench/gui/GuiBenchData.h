#pragma once
// The generated database of the GUI benchmarks that work on one: made on first use, so that a run
// of the other benchmarks alone makes none, with the sizes main took from the options.
#include "BenchContext.h"

namespace bench {

inline TVktObject& GuiBenchObject()
{
    BenchContext::Get().Prepare();
    return BenchContext::Get().Object();
}

inline const GeneratedDatabase& GuiBenchDatabase()
{
    BenchContext::Get().Prepare();
    return BenchContext::Get().Database();
}

} // namespace bench
