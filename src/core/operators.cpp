#include "core/operators.h"

namespace yaoshi
{

namespace
{

constexpr Op kAll[] = {Op::OpenParen, Op::Closed, Op::Add, Op::Sub, Op::Mul, Op::Div, Op::Pow,
                       Op::Sin,       Op::Cos,    Op::Lg,  Op::Ln,  Op::Atn, Op::End};

} // namespace

QStringView caption(Op op)
{
    switch (op) {
    case Op::OpenParen:
        return u"(";
    case Op::Closed:
        return u")";
    case Op::Add:
        return u"+";
    case Op::Sub:
        return u"-";
    case Op::Mul:
        return u"*";
    case Op::Div:
        return u"/";
    case Op::Pow:
        return u"^";
    case Op::Sin:
        return u"sin";
    case Op::Cos:
        return u"cos";
    case Op::Lg:
        return u"lg";
    case Op::Ln:
        return u"Ln";
    case Op::Atn:
        return u"atn";
    case Op::End:
        return u"=";
    }
    return {};
}

std::optional<Op> opFromToken(QStringView token)
{
    // Equations name the natural logarithm in small letters, the calculator's key in a capital.
    if (token == u"ln")
        return Op::Ln;
    for (const Op op : kAll) {
        if (op != Op::Ln && (isArithmetic(op) || isFunction(op) || op == Op::Pow) &&
            token == caption(op))
            return op;
    }
    return std::nullopt;
}

std::optional<Op> opFromCode(int code)
{
    for (const Op op : kAll) {
        if (code == int(op))
            return op;
    }
    return std::nullopt;
}

} // namespace yaoshi
