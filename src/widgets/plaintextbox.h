#pragma once

#include "widgets/longlineedit.h"

// A multi-line text box that takes in only plain text: a paste, a middle click or a drop inserts
// the text of what is offered, and nothing at all when it holds no text. Qt's own insertion
// fails on offers that carry no format, as the clipboard of a fresh X session does.
class PlainTextBox final : public LongLineEdit
{
    Q_OBJECT

public:
    using LongLineEdit::LongLineEdit;

    // Public so that any offer can be put to them directly, a null one included.
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
};
