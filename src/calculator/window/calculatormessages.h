#pragma once

#include "calculator/engine/calculator.h"
#include "calculator/engine/staterecord.h"
#include "files/regularfile.h"
#include "platform/platform.h"

#include <QString>

// The texts the calculator window shows: its messages and their title, and what it reports for
// its engine and its printing.

// The title of every message box of the calculator but About, and About's text and title.
QString messageTitle();
QString aboutText();
QString aboutTitle();

// The prompt of New when the display holds unsaved changes.
QString savePromptText();

// The display's tooltip, and its description for a screen reader in calculation mode or in
// editing mode.
QString displayToolTip();
QString displayDescription(bool calculating);

// Empty when the press went through and its step was recorded.
QString pressMessage(const PressResult &result);

// Why a document could not be read: the file, or the record in it.
QString readErrorText(const yaoshi::FileBytes &file);
QString recordErrorText(const staterecord::ReadResult &result);

// A document at `path` that could not be opened or saved, and why.
QString openFailedText(const QString &path, const QString &why);
QString saveFailedText(const QString &path, const QString &why);
// A document refused by Save because it could not be opened again.
QString tooLargeToSaveText(const QString &path);

// An older document opened without the calculation it was in the middle of.
QString calculationDroppedText();

// The display's text as printed for the document at `docname` (empty for none): the job and the
// footer are named after the document's file.
PrintedText printedText(const QString &text, const QString &docname);

// Why printing stopped; empty when it printed or was cancelled.
QString printFailureText(const PrintOutcome &outcome);

// Asked at start for each calculation a copy that ended left unsaved.
QString recoveryQuestionText();

// Why a recovery record could not be taken back.
QString recoveryFailedText(const staterecord::ReadResult &result);
