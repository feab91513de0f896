#pragma once

#include "calculator/engine/calculator.h"
#include "calculator/engine/staterecord.h"

#include <QString>

// The texts the calculator window shows for what its engine reports.

// Empty when the press went through and its step was recorded.
QString pressMessage(const PressResult &result);

// Why a document could not be read.
QString recordErrorText(const staterecord::ReadResult &result);

// An older document opened without the calculation it was in the middle of.
QString calculationDroppedText();

// Asked at start for each calculation a copy that ended left unsaved.
QString recoveryQuestionText();
