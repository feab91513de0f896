#include "calculator/engine/calculator.h"

#include "calculator/engine/staterecord.h"
#include "core/numtext.h"

#include <algorithm>
#include <cmath>

namespace
{

Fault applyCode(CalcState &s, Op op)
{
    if (!isFunction(op) && !isArithmetic(op) && op != Op::Pow)
        return Fault::None; // "(", a closed-group marker and "=" are only removed
    if (s.numtop < (isFunction(op) ? 1 : 2))
        return Fault::MissingOperand;
    double &x = s.nums[s.numtop];
    if (isFunction(op)) {
        if ((op == Op::Lg || op == Op::Ln) && !(x > 0))
            return Fault::LogDomain;
        x = yaoshi::applyFunction(op, x);
        return Fault::None;
    }

    const double a = s.nums[s.numtop - 1];
    if (op == Op::Div && x == 0)
        return Fault::DivideByZero;
    if (op == Op::Pow && a == 0 && x < 0)
        return Fault::ZeroPower;
    const double r = yaoshi::applyBinary(op, a, x);
    if (op == Op::Pow && std::isnan(r))
        return Fault::PowerDomain;
    if (!std::isfinite(r))
        return Fault::Overflow;
    s.nums[s.numtop - 1] = r;
    --s.numtop;
    return Fault::None;
}

// Applies every waiting code that goes before the newest one; the newest stays on top.
Fault reduce(CalcState &s)
{
    while (s.optop > 1 && yaoshi::appliesBefore(Op(s.ops[s.optop - 1]), Op(s.ops[s.optop]))) {
        if (const Fault fault = applyCode(s, Op(s.ops[s.optop - 1])); fault != Fault::None)
            return fault;
        s.ops[s.optop - 1] = s.ops[s.optop];
        --s.optop;
    }
    return Fault::None;
}

Fault pushOp(CalcState &s, Op op)
{
    if (s.optop >= kMaxOps)
        return Fault::OperatorsFull;
    s.ops[++s.optop] = qint16(op);
    return Fault::None;
}

Fault pushPending(CalcState &s)
{
    if (s.numtop >= kMaxNums)
        return Fault::NumbersFull;
    const double value = yaoshi::readEntry(s.pendingText());
    if (!std::isfinite(value))
        return Fault::Overflow;
    s.nums[++s.numtop] = value;
    s.pointset = 0;
    return Fault::None;
}

// Pushes the pending number and then the code.
Fault pushPendingAndOp(CalcState &s, Op op)
{
    const Fault fault = pushPending(s);
    return fault != Fault::None ? fault : pushOp(s, op);
}

// Lets a keystroke append to the pending entry: a new number starts from nothing.
void startEntry(CalcState &s)
{
    if (s.numlen == 0)
        s.entry.truncate(0);
}

void placeEntry(CalcState &s, const QString &text)
{
    s.numlen = kPlacedEntry;
    s.entry = text;
}

// A caption as display text: the caption's literal itself, not a copy, as every key shows one.
QString captionText(Op op)
{
    const QStringView caption = yaoshi::caption(op);
    return QString::fromRawData(caption.constData(), caption.size());
}

PressResult faulted(Fault fault)
{
    return {fault, std::nullopt};
}

} // namespace

QString pressText(KeyCommand command)
{
    switch (command.action) {
    case KeyAction::Digit:
        if (command.index >= 0 && command.index <= 9) {
            const QStringView digit = QStringView(u"0123456789").mid(command.index, 1);
            return QString::fromRawData(digit.constData(), 1);
        }
        return QString::number(command.index);
    case KeyAction::Point:
        return QStringLiteral(".");
    case KeyAction::Pi:
        return QStringLiteral("π");
    case KeyAction::E:
        return QStringLiteral("e");
    case KeyAction::Function:
    case KeyAction::Operator:
        if (const auto op = yaoshi::opFromCode(command.index))
            return captionText(*op);
        return {};
    case KeyAction::OpenParen:
        return captionText(Op::OpenParen);
    case KeyAction::CloseParen:
        return captionText(Op::Closed);
    case KeyAction::Power:
        return captionText(Op::Pow);
    case KeyAction::Factorial:
        return QStringLiteral("!");
    case KeyAction::Equals:
        return captionText(Op::End);
    case KeyAction::None:
    case KeyAction::StepBack:
        break;
    }
    return {};
}

Calculator::Calculator(CalcDisplay &display, StepStore &steps, StepHistory::Writing writing)
    : m_display(display), m_history(steps, writing)
{
}

void Calculator::appendDisplay(const QString &piece)
{
    m_display.append(piece);
    m_s.changed = true;
}

PressResult Calculator::press(KeyCommand command)
{
    const qint32 steps = m_s.stepcount;
    const PressResult result = pressCommand(command);
    // The recovery record goes with the step's record, so a crash loses no recorded step.
    if (m_s.stepcount != steps)
        keepRecovery();
    return result;
}

void Calculator::setChanged(bool changed)
{
    m_s.changed = changed;
    if (!changed)
        m_history.drop();
}

bool Calculator::hasUnsavedWork() const
{
    if (!m_s.changed)
        return false;
    const QString text = m_display.text();
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return !c.isSpace(); });
}

void Calculator::keepRecovery()
{
    if (!hasUnsavedWork()) {
        m_history.drop();
        return;
    }
    CalcState s = m_s;
    s.snaptext = m_display.text();
    m_history.keep(s);
}

PressResult Calculator::pressCommand(KeyCommand command)
{
    switch (command.action) {
    case KeyAction::Digit:
        return pressDigit(command.index);
    case KeyAction::Point:
        return pressPoint();
    case KeyAction::Pi:
        return placeConstant(command, 4 * std::atan(1.0));
    case KeyAction::E:
        return placeConstant(command, std::exp(1.0));
    case KeyAction::Function:
        return pressFunction(command.index);
    case KeyAction::OpenParen:
        return pressOpenParen();
    case KeyAction::CloseParen:
        return pressCloseParen();
    case KeyAction::Operator:
        return pressOperator(command.index);
    case KeyAction::Power: {
        CalcState s = m_s;
        return finishOperator(s, Op::Pow);
    }
    case KeyAction::Factorial:
        return pressFactorial();
    case KeyAction::Equals:
        return pressEquals();
    case KeyAction::StepBack:
        return stepBack();
    case KeyAction::None:
        break;
    }
    return {};
}

PressResult Calculator::pressDigit(int digit)
{
    if (digit < 0 || digit > 9)
        return {};
    if (m_s.numlen >= kMaxEntry)
        return faulted(Fault::EntryFull);
    const QString d = pressText({KeyAction::Digit, digit});
    startEntry(m_s);
    m_s.entry += u' ';
    m_s.entry += d;
    ++m_s.numlen;
    appendDisplay(d);
    return {};
}

PressResult Calculator::pressPoint()
{
    if (m_s.pointset == 1)
        return {};
    if (m_s.numlen >= kMaxEntry)
        return faulted(Fault::EntryFull);
    startEntry(m_s);
    m_s.entry += u'.';
    ++m_s.numlen;
    m_s.pointset = 1;
    appendDisplay(pressText({KeyAction::Point}));
    return {};
}

// Pi and e replace whatever number was pending, rounded to 15 digits as the display shows them.
PressResult Calculator::placeConstant(KeyCommand command, double value)
{
    placeEntry(m_s, yaoshi::plainForm(value));
    appendDisplay(pressText(command));
    return {};
}

PressResult Calculator::pressFunction(int code)
{
    const auto function = yaoshi::opFromCode(code);
    if (!function || !isFunction(*function) || m_s.numlen != 0)
        return {};
    if (const Fault fault = pushOp(m_s, *function); fault != Fault::None)
        return faulted(fault);
    appendDisplay(captionText(*function));
    return {};
}

PressResult Calculator::pressOpenParen()
{
    if (m_s.numlen != 0)
        return {};
    if (const Fault fault = pushOp(m_s, Op::OpenParen); fault != Fault::None)
        return faulted(fault);
    ++m_s.parens;
    appendDisplay(captionText(Op::OpenParen));
    return {};
}

// Pushes the operand and the code (or puts the code in place of a closed-group marker), reduces,
// and on success takes the new state, shows the code and records a step.
PressResult Calculator::finishOperator(CalcState &s, Op op)
{
    if (s.numlen > 0) {
        if (const Fault fault = pushPendingAndOp(s, op); fault != Fault::None)
            return faulted(fault);
    } else if (s.optop > 0 && s.topOp() == Op::Closed) {
        s.ops[s.optop] = qint16(op);
    } else {
        return {};
    }
    s.numlen = 0;
    if (const Fault fault = reduce(s); fault != Fault::None)
        return faulted(fault);
    m_s = std::move(s);
    appendDisplay(captionText(op));
    return {Fault::None, recordStep()};
}

PressResult Calculator::pressOperator(int code)
{
    const auto op = yaoshi::opFromCode(code);
    if (!op || !isArithmetic(*op))
        return {};
    CalcState s = m_s;
    // A minus where no operand can stand (at the start of a line or after "(") subtracts from 0.
    const QChar last = m_display.lastChar();
    if (*op == Op::Sub && (last == u'(' || last == u' '))
        placeEntry(s, QStringLiteral("0"));
    return finishOperator(s, *op);
}

PressResult Calculator::pressFactorial()
{
    CalcState s = m_s;
    if (s.numlen > 0) {
        if (const Fault fault = pushPending(s); fault != Fault::None)
            return faulted(fault);
        s.numlen = 0;
    } else if (s.optop > 0 && s.topOp() == Op::Closed && s.numtop >= 1) {
        // The group's value becomes the pending number: nothing of the group may stay behind,
        // or the operators below the marker would never be applied.
        --s.optop;
    } else {
        return {};
    }
    // The operand times (floor(x) - 1)!: k! for a whole k, unchanged below 2.
    double &x = s.nums[s.numtop];
    if (x >= 32768 || x < -32768)
        return faulted(Fault::FactorialRange);
    const int n = int(std::floor(x));
    for (int i = 1; i < n; ++i) {
        x *= i;
        if (!std::isfinite(x))
            return faulted(Fault::FactorialRange);
    }
    placeEntry(s, yaoshi::displayForm(x));
    --s.numtop;
    m_s = std::move(s);
    appendDisplay(pressText({KeyAction::Factorial}));
    return {Fault::None, recordStep()};
}

PressResult Calculator::pressCloseParen()
{
    if (m_s.parens <= 0 || m_s.optop <= 1)
        return {};
    CalcState s = m_s;
    if (s.numlen > 0) {
        if (const Fault fault = pushPendingAndOp(s, Op::Closed); fault != Fault::None)
            return faulted(fault);
    } else if (s.topOp() != Op::Closed) {
        return {};
    }
    s.ops[s.optop] = qint16(Op::Closed);
    if (const Fault fault = reduce(s); fault != Fault::None)
        return faulted(fault);
    if (s.optop < 2) // only a damaged record leaves no "(" below
        return {};
    // The marker takes the place of the "(" (or marker) that stopped the reduction.
    s.numlen = 0;
    s.ops[s.optop - 1] = qint16(Op::Closed);
    --s.parens;
    --s.optop;
    m_s = std::move(s);
    appendDisplay(captionText(Op::Closed));
    return {};
}

PressResult Calculator::pressEquals()
{
    CalcState s = m_s;
    Fault fault = Fault::None;
    if (s.numlen > 0) {
        fault = pushPendingAndOp(s, Op::End);
    } else if (s.optop > 0 && s.topOp() == Op::Closed) {
        s.ops[s.optop] = qint16(Op::End);
    } else {
        // Recorded also when "=" then does nothing or faults.
        return {Fault::None, recordStep()};
    }
    if (fault == Fault::None)
        fault = reduce(s);
    if (fault == Fault::None && s.numtop < 1)
        fault = Fault::MissingOperand;
    if (fault != Fault::None)
        return {fault, recordStep()};
    // The step is as "=" found the calculation. The display shows "=" first and the record takes
    // the text before it, sharing the display's text rather than holding it while it grows.
    const qsizetype textSize = m_display.text().size();
    const bool changed = m_s.changed;
    const QString value = yaoshi::displayForm(s.nums[s.numtop]);
    QString shown;
    shown.reserve(1 + value.size() + 3);
    shown += yaoshi::caption(Op::End);
    shown += value;
    shown += u"\r\n ";
    appendDisplay(shown);
    m_s.changed = changed;
    const PressResult result{Fault::None, recordStep(textSize)};
    s.numtop = s.optop = s.numlen = s.parens = 0;
    s.stepcount = m_s.stepcount;
    s.changed = true;
    m_s = std::move(s);
    return result;
}

std::optional<HistoryIssue> Calculator::recordStep(qsizetype textSize)
{
    m_s.snaptext = m_display.text();
    const HistoryIssue issue = m_history.record(m_s, textSize);
    // Held here, the text would be copied by the display's next append.
    m_s.snaptext.clear();
    if (!issue || m_historyFailReported)
        return std::nullopt;
    m_historyFailReported = true;
    return issue;
}

PressResult Calculator::stepBack()
{
    const StepHistory::Back back = m_history.back(m_s, m_display.text());
    if (back.issue)
        return {Fault::None, back.issue};
    if (back.restored) {
        if (back.shownPart >= 0)
            m_display.truncate(back.shownPart);
        else
            m_display.setText(m_s.snaptext);
        // Held here, the text would be copied by the display's next append.
        m_s.snaptext.clear();
        m_s.changed = true;
    }
    return {};
}

void Calculator::resetDocument()
{
    m_s.docname.clear();
    m_s.numlen = m_s.numtop = m_s.parens = m_s.pointset = m_s.optop = 0;
    // The history goes on: going back undoes a New the user did not mean.
    m_display.setText(QString());
    // Nothing of the user's is on the display yet: closing or opening need not ask to save.
    setChanged(false);
}

QByteArray Calculator::documentRecord()
{
    m_s.snaptext = m_display.text();
    QByteArray record = staterecord::write(m_s, slotOf(m_s.stepcount));
    m_s.snaptext.clear();
    return record;
}

staterecord::ReadResult Calculator::openDocument(QByteArrayView record)
{
    CalcState s = m_s;
    const staterecord::ReadResult result = staterecord::read(record, s);
    if (!result.ok())
        return result;
    m_s = std::move(s);
    m_history.restart();
    m_display.setText(m_s.snaptext);
    // Held here, the text would be copied by the display's first append.
    m_s.snaptext.clear();
    setChanged(false);
    return result;
}

staterecord::ReadResult Calculator::recoverDocument(QByteArrayView record)
{
    const staterecord::ReadResult result = openDocument(record);
    if (result.ok()) {
        m_s.changed = true;
        keepRecovery();
    }
    return result;
}
