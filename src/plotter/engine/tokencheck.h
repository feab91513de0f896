#pragma once

#include <QString>

#include <vector>

// The tokens of an equation that the evaluator does not read as what they look like: anything
// that is not a number, "x", a group reference, a parenthesis or an operator name evaluates as
// a number, mostly 0, so "x^2" or "Sin x" draw another curve without a word.
enum class TokenProblem : quint8 {
    Spacing,    // symbols run together: "x^2", "sin(x)", "-x"
    Case,       // an operator name or "x" in other letter case: "Ln", "X"
    Constant,   // a constant by name: "pi", "e"
    ExtraBlank, // two blanks in a row: an empty token reads as 0
    Unknown,    // anything else: read as the number it starts with, or 0
};

struct TokenHint {
    TokenProblem problem;
    QString token;
    QString meant; // the spelling meant, for Case and Constant
    bool operator==(const TokenHint &) const = default;
};

// One hint per distinct token, in the order they first appear.
std::vector<TokenHint> checkTokens(const QString &text);
