#pragma once

#include "platform.h"

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
