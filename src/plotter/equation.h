#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// An equation as the plotter keeps it: its group list, the parenthesised groups innermost first,
// each without its own parentheses and with inner groups replaced by references "y1", "y2", ...
// Slot 0 is empty; the last slot is the whole equation.
//
// Tokens stand apart by single blanks, parentheses included: "( x + 20 ) ^ 2" gives
// {"", "x + 20", "y1 ^ 2"}. A text that breaks the rule converts to something else, not to an
// error, unless its parentheses cannot be matched at all.
std::optional<QStringList> parsegroups(const QString &text);

// A group list compiled once, so that evaluating it at a sample reads no text.
class Equation
{
public:
    Equation() = default;
    explicit Equation(const QStringList &groups);

    bool isEmpty() const { return m_groups == 0; }
    // The value at x, or nothing where the equation is undefined (a pole, a logarithm of a
    // negative number, an overflow, a stack overflow, a bad group reference).
    std::optional<double> evaluate(double x) const;

private:
    enum class Kind : quint8 { Number, Variable, Reference, Operator, End, Fail };
    struct Token {
        Kind kind;
        int code;     // operator code, or the group a reference reads
        double value; // number value
    };
    std::vector<Token> m_tokens; // each group's tokens followed by an End
    int m_groups = 0;
};

// The value of a group list at x, or the failure value ceny + 151 / zoom that plots just above
// the picture.
double evalgroups(const QStringList &groups, double x, double ceny, float zoom);
