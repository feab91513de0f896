// Any bytes as a state record: either read whole into a consistent state, or refused with the
// state untouched. What was read writes and reads back to the same.
#include "calculator/engine/staterecord.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace
{

CalcState sentinel()
{
    CalcState s;
    s.snaptext = QStringLiteral("sentinel");
    s.numtop = 2;
    s.nums[1] = 1.5;
    s.nums[2] = -7;
    s.optop = 1;
    s.ops[1] = 5;
    s.numlen = 3;
    s.entry = QStringLiteral(" 1 2 3");
    s.stepcount = 77;
    return s;
}

bool same(const CalcState &a, const CalcState &b)
{
    return a.snaptext == b.snaptext && a.numtop == b.numtop && a.optop == b.optop &&
           a.numlen == b.numlen && a.parens == b.parens && a.pointset == b.pointset &&
           a.changed == b.changed && a.stepcount == b.stepcount &&
           a.pendingText() == b.pendingText() && a.ops == b.ops &&
           std::equal(a.nums.begin(), a.nums.end(), b.nums.begin(),
                      [](double x, double y) { return x == y || (x != x && y != y); });
}

bool consistent(const CalcState &s)
{
    if (s.numtop < 0 || s.numtop > kMaxNums || s.optop < 0 || s.optop > kMaxOps || s.numlen < 0 ||
        s.numlen > kMaxEntry || s.parens < 0 || s.pointset < 0 || s.pointset > 1 || s.stepcount < 0)
        return false;
    for (int k = 1; k <= s.numtop; ++k)
        if (!std::isfinite(s.nums[k]))
            return false;
    for (int k = 1; k <= s.optop; ++k)
        if (!yaoshi::opFromCode(s.ops[k]) || Op(s.ops[k]) == Op::End)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const CalcState before = sentinel();
    CalcState state = before;
    const staterecord::ReadResult result = staterecord::read(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), state);
    if (!result.ok()) {
        if (result.calculationDropped || !same(state, before))
            std::abort();
        return 0;
    }
    if (!consistent(state))
        std::abort();
    // An older record read without its calculation leaves none behind.
    if (result.calculationDropped && (state.numtop != 0 || state.optop != 0 || state.numlen != 0 ||
                                      state.parens != 0 || state.pointset != 0))
        std::abort();
    const QByteArray written = staterecord::write(state, 1);
    CalcState again = sentinel();
    if (staterecord::read(written, again) != staterecord::ReadResult() || !same(again, state))
        std::abort();
    return 0;
}
