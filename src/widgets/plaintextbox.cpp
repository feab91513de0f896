#include "widgets/plaintextbox.h"

#include <QMimeData>
#include <QScrollBar>

bool PlainTextBox::canInsertFromMimeData(const QMimeData *source) const
{
    return source && source->hasText() && !source->text().isEmpty();
}

void PlainTextBox::insertFromMimeData(const QMimeData *source)
{
    const int scrolledFrom = verticalScrollBar()->value();
    if (canInsertFromMimeData(source))
        insertPlainText(source->text());
    keepMarginBelowCaret(scrolledFrom);
}
