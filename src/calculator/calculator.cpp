#include "calculator.h"

#include "core/numtext.h"
#include "staterecord.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cmath>
#include <limits>

namespace
{

const QString kDivideByZero = QStringLiteral("算式错误：除数为零");
const QString kOverflow = QStringLiteral("算式错误：数值溢出");
const QString kLogDomain = QStringLiteral("算式错误：对数的真数必须大于零");
const QString kPowDomain = QStringLiteral("算式错误：负数不能开非整数次方");
const QString kZeroPower = QStringLiteral("算式错误：零不能做负数次幂的底数");
const QString kFactorialRange = QStringLiteral("算式错误：阶乘超出范围");
const QString kMissingOperand = QStringLiteral("算式错误：缺少运算数");
const QString kEntryFull = QStringLiteral("一个数最多输入100个字符");
const QString kOpsFull = QStringLiteral("算式太长：最多100个运算符");
const QString kNumsFull = QStringLiteral("算式太长：最多200个数");

enum class Level { Group, Sum, Product, Power, Function, End };

Level levelOf(qint16 code)
{
    switch (Op(code)) {
    case Op::Add:
    case Op::Sub:
        return Level::Sum;
    case Op::Mul:
    case Op::Div:
        return Level::Product;
    case Op::Pow:
        return Level::Power;
    case Op::End:
        return Level::End;
    case Op::OpenParen:
    case Op::Closed:
        return Level::Group;
    default:
        return Level::Function;
    }
}

// Whether the waiting code `below` is applied before the newest code `top` is pushed on: when it
// binds more tightly (its code exceeds the newest by more than 3), or binds as tightly and both
// group from the left.
bool appliesBelow(qint16 below, qint16 top)
{
    if (below > top + 3)
        return true;
    const Level level = levelOf(top);
    return (level == Level::Sum || level == Level::Product) && levelOf(below) == level;
}

QString applyCode(CalcState &s, qint16 code)
{
    const Op op = Op(code);
    if (op == Op::OpenParen || op == Op::Closed || op == Op::End)
        return {};
    if (s.numtop < (isFunction(op) ? 1 : 2))
        return kMissingOperand;
    double &x = s.nums[s.numtop];
    if (isFunction(op)) {
        if ((op == Op::Lg || op == Op::Ln) && !(x > 0))
            return kLogDomain;
        switch (op) {
        case Op::Sin:
            x = std::sin(x);
            break;
        case Op::Cos:
            x = std::cos(x);
            break;
        case Op::Lg:
            x = std::log(x) / std::log(10.0);
            break;
        case Op::Ln:
            x = std::log(x);
            break;
        default:
            x = std::atan(x);
            break;
        }
        return {};
    }

    const double a = s.nums[s.numtop - 1];
    double r = 0;
    switch (op) {
    case Op::Add:
        r = a + x;
        break;
    case Op::Sub:
        r = a - x;
        break;
    case Op::Mul:
        r = a * x;
        break;
    case Op::Div:
        if (x == 0)
            return kDivideByZero;
        r = a / x;
        break;
    default:
        if (a == 0 && x < 0)
            return kZeroPower;
        r = std::pow(a, x);
        if (std::isnan(r))
            return kPowDomain;
        break;
    }
    if (!std::isfinite(r))
        return kOverflow;
    s.nums[s.numtop - 1] = r;
    --s.numtop;
    return {};
}

// Applies every waiting code that goes before the newest one; the newest stays on top.
QString reduce(CalcState &s)
{
    while (s.optop > 1 && appliesBelow(s.ops[s.optop - 1], s.ops[s.optop])) {
        if (QString fault = applyCode(s, s.ops[s.optop - 1]); !fault.isEmpty())
            return fault;
        s.ops[s.optop - 1] = s.ops[s.optop];
        --s.optop;
    }
    return {};
}

QString pushOp(CalcState &s, Op op)
{
    if (s.optop >= kMaxOps)
        return kOpsFull;
    s.ops[++s.optop] = qint16(op);
    return {};
}

QString pushPending(CalcState &s)
{
    if (s.numtop >= kMaxNums)
        return kNumsFull;
    const double value = yaoshi::readEntry(s.numtext[s.numlen]);
    if (!std::isfinite(value))
        return kOverflow;
    s.nums[++s.numtop] = value;
    s.pointset = 0;
    return {};
}

void placeEntry(CalcState &s, const QString &text)
{
    s.numlen = kPlacedEntry;
    s.numtext[kPlacedEntry] = text;
}

} // namespace

QString opCaption(Op function)
{
    switch (function) {
    case Op::Sin:
        return QStringLiteral("sin");
    case Op::Cos:
        return QStringLiteral("cos");
    case Op::Lg:
        return QStringLiteral("lg");
    case Op::Ln:
        return QStringLiteral("Ln");
    case Op::Atn:
        return QStringLiteral("atn");
    case Op::Add:
        return QStringLiteral("+");
    case Op::Sub:
        return QStringLiteral("-");
    case Op::Mul:
        return QStringLiteral("*");
    case Op::Div:
        return QStringLiteral("/");
    default:
        return {};
    }
}

Calculator::Calculator(CalcDisplay &display, QString stepFolder)
    : m_display(display), m_stepFolder(std::move(stepFolder))
{
}

QString Calculator::defaultStepFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QLatin1String("/yaoshi/steps/");
}

QString Calculator::slotFile(int slot) const
{
    return m_stepFolder + u' ' + QString::number(slot);
}

void Calculator::appendDisplay(const QString &piece)
{
    m_display.append(piece);
    m_s.changed = true;
}

QString Calculator::pressDigit(int digit)
{
    if (digit < 0 || digit > 9)
        return {};
    if (m_s.numlen >= kMaxEntry)
        return kEntryFull;
    const QChar d(u'0' + digit);
    m_s.numtext[m_s.numlen + 1] = m_s.numtext[m_s.numlen] + u' ' + d;
    ++m_s.numlen;
    appendDisplay(QString(d));
    return {};
}

QString Calculator::pressPoint()
{
    if (m_s.pointset == 1)
        return {};
    if (m_s.numlen >= kMaxEntry)
        return kEntryFull;
    m_s.numtext[m_s.numlen + 1] = m_s.numtext[m_s.numlen] + u'.';
    ++m_s.numlen;
    m_s.pointset = 1;
    appendDisplay(QStringLiteral("."));
    return {};
}

QString Calculator::pressPi()
{
    placeEntry(m_s, yaoshi::plainForm(4 * std::atan(1.0)));
    appendDisplay(QStringLiteral("π"));
    return {};
}

QString Calculator::pressE()
{
    placeEntry(m_s, yaoshi::plainForm(std::exp(1.0)));
    appendDisplay(QStringLiteral("e"));
    return {};
}

QString Calculator::pressFunction(Op function)
{
    if (!isFunction(function) || m_s.numlen != 0)
        return {};
    if (QString fault = pushOp(m_s, function); !fault.isEmpty())
        return fault;
    appendDisplay(opCaption(function));
    return {};
}

QString Calculator::pressOpenParen()
{
    if (m_s.numlen != 0)
        return {};
    if (QString fault = pushOp(m_s, Op::OpenParen); !fault.isEmpty())
        return fault;
    ++m_s.parens;
    appendDisplay(QStringLiteral("("));
    return {};
}

// Pushes the operand and the code (or puts the code in place of a closed-group marker), reduces,
// and on success takes the new state, shows the caption and records a step.
QString Calculator::finishOperator(CalcState &s, Op op, QString caption)
{
    if (s.numlen > 0) {
        QString fault = pushPending(s);
        if (fault.isEmpty())
            fault = pushOp(s, op);
        if (!fault.isEmpty())
            return fault;
    } else if (s.optop > 0 && s.topOp() == Op::Closed) {
        s.ops[s.optop] = qint16(op);
    } else {
        return {};
    }
    s.numlen = 0;
    if (QString fault = reduce(s); !fault.isEmpty())
        return fault;
    m_s = std::move(s);
    appendDisplay(caption);
    return recordStep();
}

QString Calculator::pressOperator(Op op)
{
    if (!isArithmetic(op))
        return {};
    CalcState s = m_s;
    // A minus where no operand can stand (at the start of a line or after "(") subtracts from 0.
    const QChar last = m_display.lastChar();
    if (op == Op::Sub && (last == u'(' || last == u' '))
        placeEntry(s, QStringLiteral("0"));
    return finishOperator(s, op, opCaption(op));
}

QString Calculator::pressPower()
{
    CalcState s = m_s;
    return finishOperator(s, Op::Pow, QStringLiteral("^"));
}

QString Calculator::pressFactorial()
{
    CalcState s = m_s;
    if (s.numlen > 0) {
        if (QString fault = pushPending(s); !fault.isEmpty())
            return fault;
        s.numlen = 0;
    } else if (!(s.optop > 0 && s.topOp() == Op::Closed) || s.numtop < 1) {
        return {};
    }
    // The operand times (floor(x) - 1)!: k! for a whole k, unchanged below 2.
    double &x = s.nums[s.numtop];
    if (x >= 32768 || x < -32768)
        return kFactorialRange;
    const int n = int(std::floor(x));
    for (int i = 1; i < n; ++i) {
        x *= i;
        if (!std::isfinite(x))
            return kFactorialRange;
    }
    placeEntry(s, yaoshi::displayForm(x));
    --s.numtop;
    m_s = std::move(s);
    appendDisplay(QStringLiteral("!"));
    return recordStep();
}

QString Calculator::pressCloseParen()
{
    if (m_s.parens <= 0 || m_s.optop <= 1)
        return {};
    CalcState s = m_s;
    if (s.numlen > 0) {
        QString fault = pushPending(s);
        if (fault.isEmpty())
            fault = pushOp(s, Op::Closed);
        if (!fault.isEmpty())
            return fault;
    } else if (s.topOp() != Op::Closed) {
        return {};
    }
    s.ops[s.optop] = qint16(Op::Closed);
    if (QString fault = reduce(s); !fault.isEmpty())
        return fault;
    if (s.optop < 2) // only a damaged record leaves no "(" below
        return {};
    // The marker takes the place of the "(" (or marker) that stopped the reduction.
    s.numlen = 0;
    s.ops[s.optop - 1] = qint16(Op::Closed);
    --s.parens;
    --s.optop;
    m_s = std::move(s);
    appendDisplay(QStringLiteral(")"));
    return {};
}

QString Calculator::pressEquals()
{
    // Recorded first, also when "=" then does nothing or faults.
    const QString historyWarning = recordStep();
    CalcState s = m_s;
    if (s.numlen > 0) {
        QString fault = pushPending(s);
        if (fault.isEmpty())
            fault = pushOp(s, Op::End);
        if (!fault.isEmpty())
            return fault;
    } else if (s.optop > 0 && s.topOp() == Op::Closed) {
        s.ops[s.optop] = qint16(Op::End);
    } else {
        return historyWarning;
    }
    QString fault = reduce(s);
    if (fault.isEmpty() && s.numtop < 1)
        fault = kMissingOperand;
    if (!fault.isEmpty())
        return historyWarning.isEmpty() ? fault : fault + u'\n' + historyWarning;
    const double result = s.nums[s.numtop];
    s.numtop = s.optop = s.numlen = s.parens = 0;
    m_s = std::move(s);
    appendDisplay(u'=' + yaoshi::displayForm(result) + QLatin1String("\r\n "));
    return historyWarning;
}

QString Calculator::recordStep()
{
    if (m_s.stepcount == std::numeric_limits<qint32>::max())
        return {};
    ++m_s.stepcount;
    const int slot = slotOf(m_s.stepcount);
    if (m_s.stepcount <= kSteps)
        m_s.stepfiles[slot] = slotFile(slot);
    m_s.snaptext = m_display.text();
    return writeSlot(slot, staterecord::write(m_s, slotFile(slot)));
}

QString Calculator::writeSlot(int slot, const QByteArray &record)
{
    m_slotStep[slot] = 0;
    QString reason;
    if (!m_folderReady) {
        QDir dir(m_stepFolder);
        if (dir.exists()) {
            m_folderReady = true;
        } else if (dir.mkpath(QStringLiteral("."))) {
            // The steps hold whatever the user calculated: keep them private.
            QFile::setPermissions(m_stepFolder,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            m_folderReady = true;
        } else {
            reason = QStringLiteral("无法创建文件夹");
        }
    }
    if (m_folderReady) {
        // Overwritten in place and then cut to length: truncating first costs a hundred times
        // more on ext4, and this runs on every operator key.
        QFile file(slotFile(slot));
        if (file.open(QIODevice::ReadWrite) && file.write(record) == record.size() &&
            file.flush() && file.resize(record.size())) {
            m_slotStep[slot] = m_s.stepcount;
            return {};
        }
        reason = file.errorString();
        file.close();
        file.remove();
        m_folderReady = false; // the folder may have gone: try to create it again next time
    }
    if (m_historyFailReported)
        return {};
    m_historyFailReported = true;
    return QStringLiteral("无法记录计算步骤（%1：%2），“上一步”将无法使用")
        .arg(QDir::toNativeSeparators(m_stepFolder), reason);
}

bool Calculator::stepBack()
{
    if (m_s.stepcount < 2)
        return false;
    const int slot = slotOf(m_s.stepcount);
    if (m_slotStep[slot] != m_s.stepcount)
        return false;
    QFile file(slotFile(slot));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray record = file.readAll();
    file.close();
    CalcState s = m_s;
    if (!staterecord::read(record, s).isEmpty() || s.stepcount != m_s.stepcount)
        return false;
    s.stepfiles[slot] = slotFile(slot);
    --s.stepcount;
    m_s = std::move(s);
    m_display.setText(m_s.snaptext);
    m_s.changed = true;
    return true;
}

void Calculator::resetDocument()
{
    m_s.docname.clear();
    m_s.numlen = m_s.numtop = m_s.parens = m_s.pointset = m_s.optop = 0;
    m_display.setText(QString());
    // Nothing of the user's is on the display yet: closing or opening need not ask to save.
    m_s.changed = false;
}

QByteArray Calculator::documentRecord()
{
    m_s.snaptext = m_display.text();
    return staterecord::write(m_s, slotFile(slotOf(m_s.stepcount)));
}

QString Calculator::openDocument(QByteArrayView record)
{
    CalcState s = m_s;
    if (QString error = staterecord::read(record, s); !error.isEmpty())
        return error;
    const int slot = slotOf(s.stepcount);
    s.stepfiles[slot] = slotFile(slot);
    m_s = std::move(s);
    m_display.setText(m_s.snaptext);
    m_s.changed = false;
    return {};
}
