#pragma once

#include "platform/platform.h"

class QCoreApplication;

// Qt's own texts (dialog buttons, the file dialog, the text boxes' menus) in simplified Chinese,
// as the program's own are, whatever the locale; in English when the translation is not installed.
void installQtTranslation(QCoreApplication &app);

// The platform on a real desktop: Qt's file, printer and message dialogs and the clipboard.
class QtPlatform final : public Platform
{
public:
    QString showOpen(QWidget *parent, const QString &filter) override;
    QString showSave(QWidget *parent, const QString &filter, int *chosenFilter) override;
    Answer showMessage(QWidget *parent, const QString &prompt, const QString &title,
                       Buttons buttons) override;
    std::optional<int> showPrinter(QWidget *parent, QPrinter &printer) override;
    void copyToClipboard(const QImage &image) override;
    void copyToClipboard(const QString &text) override;
};
