#include "plotter/engine/tokencheck.h"

#include "core/operators.h"

#include <QRegularExpression>

#include <algorithm>

namespace
{

bool isNumber(QStringView token)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    return number.match(token.toString()).hasMatch();
}

bool isReference(QStringView token)
{
    return token.size() > 1 && token[0] == u'y' &&
           std::all_of(token.begin() + 1, token.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

std::vector<TokenHint> checkTokens(const QString &text)
{
    static const QString kNames[] = {QStringLiteral("sin"), QStringLiteral("cos"),
                                     QStringLiteral("lg"),  QStringLiteral("ln"),
                                     QStringLiteral("atn"), QStringLiteral("x")};
    std::vector<TokenHint> hints;
    const auto add = [&hints](TokenHint hint) {
        if (std::find(hints.begin(), hints.end(), hint) == hints.end())
            hints.push_back(std::move(hint));
    };
    const QStringList tokens = text.split(u' ');
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QString &token = tokens[i];
        if (token.isEmpty()) {
            // Blanks at either end are the text's own business only when it has no other.
            if (i > 0 && i + 1 < tokens.size())
                add({TokenProblem::ExtraBlank, {}, {}});
            continue;
        }
        if (token == u"x" || token == u"(" || token == u")" || isNumber(token) ||
            isReference(token) || yaoshi::opFromToken(token))
            continue;
        const auto name = std::find_if(std::begin(kNames), std::end(kNames), [&](const QString &n) {
            return token.compare(n, Qt::CaseInsensitive) == 0;
        });
        if (name != std::end(kNames)) {
            add({TokenProblem::Case, token, *name});
        } else if (token.compare(u"pi", Qt::CaseInsensitive) == 0 || token == u"π") {
            add({TokenProblem::Constant, token, QStringLiteral("3.14159265358979")});
        } else if (token == u"e") {
            add({TokenProblem::Constant, token, QStringLiteral("2.71828182845905")});
        } else if (std::any_of(token.begin(), token.end(),
                               [](QChar c) { return QStringView(u"+-*/^()").contains(c); })) {
            add({TokenProblem::Spacing, token, {}});
        } else {
            add({TokenProblem::Unknown, token, {}});
        }
    }
    return hints;
}
