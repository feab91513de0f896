#include "calculator/window/calculatormessages.h"

#include <QDir>

namespace
{

QString faultText(Fault fault)
{
    switch (fault) {
    case Fault::None:
        return {};
    case Fault::DivideByZero:
        return QStringLiteral("算式错误：除数为零");
    case Fault::Overflow:
        return QStringLiteral("算式错误：数值溢出");
    case Fault::LogDomain:
        return QStringLiteral("算式错误：对数的真数必须大于零");
    case Fault::PowerDomain:
        return QStringLiteral("算式错误：负数不能开非整数次方");
    case Fault::ZeroPower:
        return QStringLiteral("算式错误：零不能做负数次幂的底数");
    case Fault::FactorialRange:
        return QStringLiteral("算式错误：阶乘超出范围");
    case Fault::MissingOperand:
        return QStringLiteral("算式错误：缺少运算数");
    case Fault::EntryFull:
        return QStringLiteral("一个数最多输入100个字符");
    case Fault::OperatorsFull:
        return QStringLiteral("算式太长：最多100个运算符");
    case Fault::NumbersFull:
        return QStringLiteral("算式太长：最多200个数");
    }
    return {};
}

// Where and why, in the user's words.
QString historyDetail(const HistoryIssue &issue)
{
    const QString where = QDir::toNativeSeparators(issue.path);
    const auto at = [&](const QString &what) { return where + u'：' + what; };
    const QString notRegular = QStringLiteral("不是本程序写下的普通文件");
    const QString tooLarge = QStringLiteral("超过 %1 MB").arg(staterecord::kMaxBytes >> 20);
    switch (issue.problem) {
    case HistoryProblem::None:
        break;
    case HistoryProblem::NoFolder:
        return QStringLiteral("没有设置 HOME 或 XDG_CACHE_HOME，找不到缓存文件夹");
    case HistoryProblem::FolderFailed:
    case HistoryProblem::WriteFailed:
    case HistoryProblem::BackUnreadable:
        return issue.reason.isEmpty() ? where : at(issue.reason);
    case HistoryProblem::FolderNotOwned:
        return at(QStringLiteral("不是当前用户自己的文件夹"));
    case HistoryProblem::FolderOpen:
        return at(QStringLiteral("其他用户也可以进入这个文件夹"));
    case HistoryProblem::TooManyCopies:
        return at(QStringLiteral("同时运行的本程序太多"));
    case HistoryProblem::RecordTooLarge:
        return QStringLiteral("记录") + tooLarge;
    case HistoryProblem::SlotNotRegular:
    case HistoryProblem::BackNotRegular:
        return at(notRegular);
    case HistoryProblem::BackTooLarge:
        return at(QStringLiteral("文件") + tooLarge);
    case HistoryProblem::BackChanged:
        return QStringLiteral("记录已被改动");
    case HistoryProblem::CounterFull:
        break;
    }
    return {};
}

QString historyText(const HistoryIssue &issue)
{
    switch (issue.problem) {
    case HistoryProblem::None:
        break;
    case HistoryProblem::NoFolder:
    case HistoryProblem::FolderFailed:
    case HistoryProblem::FolderNotOwned:
    case HistoryProblem::FolderOpen:
    case HistoryProblem::TooManyCopies:
    case HistoryProblem::WriteFailed:
    case HistoryProblem::RecordTooLarge:
    case HistoryProblem::SlotNotRegular:
        return QStringLiteral("无法记录计算步骤（%1），“上一步”将无法使用")
            .arg(historyDetail(issue));
    case HistoryProblem::CounterFull:
        return QStringLiteral("计算步骤已达 2147483647 步的上限，此后的步骤不再记录，"
                              "“上一步”只能回到此前的步骤");
    case HistoryProblem::BackNotRegular:
    case HistoryProblem::BackUnreadable:
    case HistoryProblem::BackTooLarge:
    case HistoryProblem::BackChanged:
        return QStringLiteral("无法返回上一步（%1），计算保持不变").arg(historyDetail(issue));
    }
    return {};
}

} // namespace

QString pressMessage(const PressResult &result)
{
    QStringList lines;
    if (result.fault != Fault::None)
        lines.append(faultText(result.fault));
    if (result.history)
        lines.append(historyText(*result.history));
    return lines.join(u'\n');
}

QString recordErrorText(const staterecord::ReadResult &result)
{
    using enum staterecord::Error;
    switch (result.error) {
    case None:
        return {};
    case Empty:
        return QStringLiteral("文件是空的");
    case UnknownEncoding:
        return QStringLiteral("文件的字符编码无法识别");
    case UnclosedQuote:
        return QStringLiteral("引号没有结束，记录不完整");
    case TextAfterQuote:
        return QStringLiteral("第 %1 行的引号后有多余的字符").arg(result.line);
    case HeadFieldCount:
        return QStringLiteral("第一行应有 9 项");
    case HeadUnquoted:
        return QStringLiteral("第一行的文字项缺少引号");
    case HeadNotInteger:
        return QStringLiteral("第一行的计数不是整数");
    case HeadOutOfRange:
        return QStringLiteral("第一行的计数超出范围");
    case HeadFlag:
        return QStringLiteral("第一行的修改标志应为 #TRUE# 或 #FALSE#");
    case StackLineCount:
        return QStringLiteral("栈的行数与第一行的计数不符");
    case NameLineCount:
        return QStringLiteral("文件名行的数目不对，记录不完整");
    case LineFormat:
        return QStringLiteral("第 %1 行格式不对").arg(result.line);
    case NotFinite:
        return QStringLiteral("第 %1 行不是有限的数值").arg(result.line);
    case NotOperator:
        return QStringLiteral("第 %1 行不是运算符代码").arg(result.line);
    }
    return {};
}

QString calculationDroppedText()
{
    return QStringLiteral(
        "这个文件由旧版本保存，其中未完成的计算无法恢复：文字已打开，计算重新开始。");
}

QString recoveryQuestionText()
{
    return QStringLiteral("上次的计算没有保存，要恢复吗？");
}
