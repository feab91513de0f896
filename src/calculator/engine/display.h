#pragma once

#include <QString>

// The calculator's display as the engine sees it: a document it appends to, replaces whole, and
// reads as a whole only when it takes a record. A window implements this over its text box, so
// an append never rebuilds the whole text.
class CalcDisplay
{
public:
    virtual ~CalcDisplay() = default;
    virtual QString text() const = 0;
    virtual bool isEmpty() const = 0;
    // The last character, or a null QChar when the display is empty.
    virtual QChar lastChar() const = 0;
    virtual void append(const QString &piece) = 0;
    virtual void setText(const QString &text) = 0;
    // Keeps the first `size` characters, as setText with them would.
    virtual void truncate(qsizetype size) = 0;
};

// A display held in a plain string, for tests, benchmarks and tools without a window.
class StringDisplay final : public CalcDisplay
{
public:
    explicit StringDisplay(QString text = QString()) : m_text(std::move(text)) {}
    QString text() const override { return m_text; }
    bool isEmpty() const override { return m_text.isEmpty(); }
    QChar lastChar() const override;
    void append(const QString &piece) override { m_text += piece; }
    void setText(const QString &text) override { m_text = text; }
    void truncate(qsizetype size) override { m_text.truncate(size); }

private:
    QString m_text;
};
