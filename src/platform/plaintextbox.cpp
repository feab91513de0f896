#include "plaintextbox.h"

#include <QMimeData>

bool PlainTextBox::canInsertFromMimeData(const QMimeData *source) const
{
    return source && source->hasText() && !source->text().isEmpty();
}

void PlainTextBox::insertFromMimeData(const QMimeData *source)
{
    if (canInsertFromMimeData(source))
        insertPlainText(source->text());
}
