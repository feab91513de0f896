#include "calculator/window/calculatormessages.h"

#include "files/writefile.h"

#include <QDir>
#include <QFileInfo>

namespace
{

QString tooLarge()
{
    return QStringLiteral("文档超过 %1 MB").arg(staterecord::kMaxBytes >> 20);
}

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

QString messageTitle()
{
    return QStringLiteral("提示");
}

QString aboutText()
{
    return QStringLiteral("曜石 1.0  曜石项目组 制作  版权所有 (C) 2026");
}

QString aboutTitle()
{
    return QStringLiteral("哈哈");
}

QString savePromptText()
{
    return QStringLiteral("你要保存文件吗？");
}

QString displayToolTip()
{
    return QStringLiteral("按 F2 键或单击后可输入文字，按 Tab 键回到计算状态");
}

QString displayDescription(bool calculating)
{
    return calculating ? QStringLiteral("计算状态：算式与结果；按 F2 键或单击后可输入文字")
                       : QStringLiteral("输入文字状态：按 Tab 键回到计算状态");
}

QString pressMessage(const PressResult &result)
{
    QStringList lines;
    if (result.fault != Fault::None)
        lines.append(faultText(result.fault));
    if (result.history)
        lines.append(historyText(*result.history));
    return lines.join(u'\n');
}

QString readErrorText(const yaoshi::FileBytes &file)
{
    switch (file.error) {
    case yaoshi::ReadError::None:
        break;
    case yaoshi::ReadError::Missing:
        return QStringLiteral("文件不存在");
    case yaoshi::ReadError::Unreadable:
        return QStringLiteral("文件无法读取（%1）").arg(file.reason);
    case yaoshi::ReadError::NotRegular:
        return notRegularReason();
    case yaoshi::ReadError::TooLarge:
        return tooLarge();
    }
    return {};
}

QString openFailedText(const QString &path, const QString &why)
{
    return QStringLiteral("无法打开文件“%1”：%2").arg(path, why);
}

QString saveFailedText(const QString &path, const QString &why)
{
    return QStringLiteral("无法保存文件“%1”：%2").arg(path, why);
}

QString tooLargeToSaveText(const QString &path)
{
    return saveFailedText(path, tooLarge() +
                                    QStringLiteral("，保存后将无法再打开。请删去一些文字再保存"));
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

PrintedText printedText(const QString &text, const QString &docname)
{
    const QString name = QFileInfo(docname).fileName();
    return {text, name.isEmpty() ? QStringLiteral("曜石计算") : QStringLiteral("曜石 - ") + name,
            name.isEmpty() ? QStringLiteral("曜石计算") : name,
            QStringLiteral("第 %1 页，共 %2 页")};
}

QString printFailureText(const PrintOutcome &outcome)
{
    const QString where =
        outcome.toFile ? QDir::toNativeSeparators(outcome.printer) : outcome.printer;
    switch (outcome.status) {
    case PrintOutcome::Status::Printed:
    case PrintOutcome::Status::Cancelled:
        break;
    case PrintOutcome::Status::NotStarted:
        return outcome.toFile ? QStringLiteral("无法打印：文件“%1”无法写入").arg(where)
                              : QStringLiteral("无法打印：打印机“%1”不接受打印任务").arg(where);
    case PrintOutcome::Status::Interrupted:
        if (outcome.page == 0)
            return QStringLiteral("打印没有完成：“%1”没有收下全部页面").arg(where);
        return QStringLiteral("打印中断：“%1”收不下第 %2 页，后面的页没有打印")
            .arg(where)
            .arg(outcome.page);
    }
    return {};
}

QString recoveryQuestionText()
{
    return QStringLiteral("上次的计算没有保存，要恢复吗？");
}

QString recoveryFailedText(const staterecord::ReadResult &result)
{
    return QStringLiteral("无法恢复上次的计算：%1").arg(recordErrorText(result));
}
