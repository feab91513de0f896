#pragma once

#include "platform/platform.h"

#include <QImage>
#include <QPrinter>
#include <QQueue>

// Answers every dialog from a script. A dialog the script did not expect is noted in
// `unexpected` and answered with Cancel, so a test fails instead of hanging on it.
class ScriptedPlatform final : public Platform
{
public:
    QQueue<QString> openNames;
    QQueue<QString> saveNames;
    QQueue<int> saveFilters; // the filter chosen with each save name; the first when none
    QQueue<Answer> answers;
    QQueue<std::optional<int>> printerCopies;
    QString pdfPath;      // where the printer dialog sends the pages
    QString printJobName; // the name the last printer dialog was shown for the job
    QStringList messages; // "title: prompt" of every message box shown
    QStringList unexpected;
    QImage clipboardImage;
    QString clipboardText;

    QString showOpen(QWidget *, const QString &filter) override
    {
        return next(openNames, QStringLiteral("open dialog ") + filter, QString());
    }
    QString showSave(QWidget *, const QString &filter, int *chosenFilter) override
    {
        if (chosenFilter)
            *chosenFilter = saveFilters.isEmpty() ? 0 : saveFilters.dequeue();
        return next(saveNames, QStringLiteral("save dialog ") + filter, QString());
    }
    Answer showMessage(QWidget *, const QString &prompt, const QString &title,
                       Buttons buttons) override
    {
        messages.append(title + QStringLiteral(": ") + prompt);
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return next(answers, messages.back(), Answer::Cancel);
    }
    std::optional<int> showPrinter(QWidget *, QPrinter &printer) override
    {
        printJobName = printer.docName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        return next(printerCopies, QStringLiteral("printer dialog"), std::optional<int>());
    }

    void copyToClipboard(const QImage &image) override
    {
        clipboardImage = image;
        clipboardText.clear();
    }
    void copyToClipboard(const QString &text) override
    {
        clipboardText = text;
        clipboardImage = QImage();
    }

private:
    template <typename T> T next(QQueue<T> &queue, const QString &what, T cancel)
    {
        if (queue.isEmpty()) {
            unexpected.append(what);
            return cancel;
        }
        return queue.dequeue();
    }
};
