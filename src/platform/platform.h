#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QFont;
class QImage;
class QPrinter;
class QWidget;

// The desktop services the windows use: file and printer dialogs, message boxes and the
// clipboard. Windows reach them only through this interface, so tests answer every dialog from a
// script.
class Platform
{
public:
    // Button sets and answers of a message box, with the numbers callers compare against.
    enum class Buttons { Ok = 0, YesNoCancel = 3, YesNo = 4 };
    enum class Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

    virtual ~Platform() = default;

    // Modal file dialogs. `filter` is a list of description|pattern pairs joined by "|", as in
    // "(*.bmp)|*.bmp|(*.ico)|*.ico". They return the chosen path, empty on Cancel; `chosenFilter`
    // (when given) receives the index of the pair that was selected.
    virtual QString showOpen(QWidget *parent, const QString &filter) = 0;
    virtual QString showSave(QWidget *parent, const QString &filter,
                             int *chosenFilter = nullptr) = 0;

    // A modal message box; the first button is the default. Closing it without a button answers
    // Cancel where there is one.
    virtual Answer showMessage(QWidget *parent, const QString &prompt, const QString &title,
                               Buttons buttons) = 0;

    // The modal printer dialog: sets `printer` up and returns the number of copies chosen, or
    // nothing when the user cancelled.
    virtual std::optional<int> showPrinter(QWidget *parent, QPrinter &printer) = 0;

    // Puts a picture, or a text, on the clipboard in place of what was there.
    virtual void copyToClipboard(const QImage &image) = 0;
    virtual void copyToClipboard(const QString &text) = 0;
};

// "(*.txt)|*.txt" as Qt name filters: {"(*.txt)"}; "Text|*.txt;*.log": {"Text (*.txt *.log)"}.
QStringList qtNameFilters(const QString &filter);

// A text to print: the print job is named `jobName`, which print-to-file also proposes as the
// file's name, and each page's footer shows `footerName` and the page's number in
// `pageNumbers` ("%1" the page, "%2" the pages of one copy).
struct PrintedText {
    QString text;
    QString jobName;
    QString footerName;
    QString pageNumbers;
};

// How printing ended.
struct PrintOutcome {
    enum class Status {
        Printed,
        Cancelled,   // in the printer dialog: nothing printed
        NotStarted,  // the printer, or the output file, did not take the job
        Interrupted, // a page could not be started; the pages after it were not printed
    };
    Status status = Status::Printed;
    QString printer; // the printer's name, or the output file's path when printing to a file
    bool toFile = false;
    // For Interrupted: the page, counted over all copies, that could not be started; 0 when every
    // page was drawn but the job was not taken whole.
    int page = 0;
};

// Asks for a printer and a number of copies, then prints the text as text in `font`, black on
// white from the top-left corner of the first page: every line wrapped at the page's width and
// continued on as many pages as it needs, the whole text once per copy.
PrintOutcome printText(Platform &platform, QWidget *parent, const PrintedText &printed,
                       const QFont &font);

// writeFile() for `image` encoded in `format` ("BMP", "PNG").
bool writePicture(const QImage &image, const QString &path, const char *format, QString *error);
