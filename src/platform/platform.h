#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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

// Prints `image` once per copy, one page each, at the size it has on a 96 dpi screen.
bool printImagePages(QPrinter &printer, const QImage &image, int copies);

// A printed page of `text`: its lines from the top-left corner in the default font and colours,
// on a surface 7380 by 7050 twips; lines below its foot are cut off.
QImage textPage(const QString &text);

// Asks for a printer and a number of copies and prints textPage(text) once per copy. Cancel
// prints nothing; a failure ends the printing silently.
void printText(Platform &platform, QWidget *parent, const QString &text);

// writeFile() for `image` encoded in `format` ("BMP", "PNG").
bool writePicture(const QImage &image, const QString &path, const char *format, QString *error);
