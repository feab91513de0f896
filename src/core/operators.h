#pragma once

#include <QStringView>
#include <QtGlobal>

#include <cmath>
#include <limits>
#include <optional>

// The operators of both engines: their codes, how tightly they bind and which way they group,
// what they compute, and how they are written.
namespace yaoshi
{

// The codes are what the calculator's stacks and state records hold; those of the arithmetic and
// function keys are also the keys' indexes in their button groups.
enum class Op : qint16 {
    OpenParen = 0,
    Closed = 1, // stands where a "(" stood once its group is closed: an operand is ready
    Add = 5,
    Sub = 6,
    Mul = 10,
    Div = 11,
    Pow = 20,
    Sin = 40,
    Cos = 41,
    Lg = 42,
    Ln = 43,
    Atn = 44,
    End = -5, // "=", or the end of a plotter group: applies everything below it
};

// Weakest first.
enum class Level { End, Group, Sum, Product, Power, Function };

constexpr Level levelOf(Op op)
{
    switch (op) {
    case Op::End:
        return Level::End;
    case Op::OpenParen:
    case Op::Closed:
        return Level::Group;
    case Op::Add:
    case Op::Sub:
        return Level::Sum;
    case Op::Mul:
    case Op::Div:
        return Level::Product;
    case Op::Pow:
        return Level::Power;
    case Op::Sin:
    case Op::Cos:
    case Op::Lg:
    case Op::Ln:
    case Op::Atn:
        return Level::Function;
    }
    return Level::End;
}

constexpr bool isFunction(Op op)
{
    return levelOf(op) == Level::Function;
}

// "+", "-", "*", "/".
constexpr bool isArithmetic(Op op)
{
    return levelOf(op) == Level::Sum || levelOf(op) == Level::Product;
}

// Whether the operator waiting on the stack is applied when `newest` is pushed above it: when it
// binds more tightly, or as tightly on a level that groups from the left ("+ -" and "* /"; "^"
// groups from the right). A function waits for its operand, so pushing one applies nothing.
constexpr bool appliesBefore(Op waiting, Op newest)
{
    const Level w = levelOf(waiting);
    const Level n = levelOf(newest);
    if (n == Level::Function)
        return false;
    return w > n || (w == n && (n == Level::Sum || n == Level::Product));
}

// A function's value; NaN for a code that is no function. lg is the base-10 logarithm itself,
// exact at powers of ten.
inline double applyFunction(Op function, double v)
{
    switch (function) {
    case Op::Sin:
        return std::sin(v);
    case Op::Cos:
        return std::cos(v);
    case Op::Lg:
        return std::log10(v);
    case Op::Ln:
        return std::log(v);
    case Op::Atn:
        return std::atan(v);
    case Op::OpenParen:
    case Op::Closed:
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
    case Op::Pow:
    case Op::End:
        break;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

// `left op right` for "+", "-", "*", "/" and "^"; NaN for any other code.
inline double applyBinary(Op op, double left, double right)
{
    switch (op) {
    case Op::Add:
        return left + right;
    case Op::Sub:
        return left - right;
    case Op::Mul:
        return left * right;
    case Op::Div:
        return left / right;
    case Op::Pow:
        // The square correctly rounded, as a product is; pow may be half an ulp off.
        return right == 2 ? left * left : std::pow(left, right);
    case Op::OpenParen:
    case Op::Closed:
    case Op::Sin:
    case Op::Cos:
    case Op::Lg:
    case Op::Ln:
    case Op::Atn:
    case Op::End:
        break;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

// What the calculator's display shows for the code: "(", ")", "+", "^", "sin", "Ln", "=".
QStringView caption(Op op);

// The code a token of a plotter equation names: an operator or a function, matched exactly and
// case-sensitively ("ln", not "Ln").
std::optional<Op> opFromToken(QStringView token);

// The code a state record holds, if it is one.
std::optional<Op> opFromCode(int code);

} // namespace yaoshi
